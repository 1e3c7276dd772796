// mdb_source.h --- an Access database (.mdb, .accdb) read with mdbtools' library.
#pragma once

#include "import/import_source.h"

#include <memory>

namespace import {

// The file opened read-only for as long as the object lives. Values are read as the
// file stores them: yes/no as -1 and 0, integers and currency and decimal numbers
// exactly, single-precision numbers as their shortest decimal, dates as
// "YYYY-MM-DD hh:mm:ss", texts as UTF-8. An empty text reads as no value (Null): the
// library does not tell the two apart. OLE objects and attachments cannot be read; their
// columns are marked unreadable.
class MdbSource final : public ImportSource {
public:
    explicit MdbSource(const std::filesystem::path& file);
    ~MdbSource() override;
    MdbSource(const MdbSource&) = delete;
    MdbSource& operator=(const MdbSource&) = delete;

    std::string kind() const override;
    std::vector<std::string> tables() override;
    std::vector<SourceColumn> columns(const std::string& table) override;
    std::unique_ptr<SourceRows> rows(const std::string& table) override;

    struct File;

private:
    std::unique_ptr<File> file_;
};

// A date of the file (days since 1899-12-30, the fraction the time of day; before that
// day the whole days count back and the fraction still counts forward) as
// "YYYY-MM-DD hh:mm:ss", to the nearest second.
std::string access_date_text(double days);

} // namespace import
