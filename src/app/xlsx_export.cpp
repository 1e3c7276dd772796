// xlsx_export.cpp --- workbooks written with libxlsxwriter.
#include "app/xlsx_export.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <xlsxwriter.h>

namespace app {
namespace {

// A workbook being written; freed without writing when close() is never reached. It is
// written beside its file under a name of its own and takes the file's place only when
// complete, so that a full disk or a failure never leaves a truncated workbook.
class Workbook {
public:
    explicit Workbook(const std::filesystem::path& file)
        : file_(file), part_(file.string() + ".part"), book_(workbook_new(part_.string().c_str())) {
        if (!book_) fail("the workbook cannot be created");
        sheet_ = workbook_add_worksheet(book_, nullptr);
        if (!sheet_) fail("no worksheet can be added");
        four_decimals_ = workbook_add_format(book_);
        if (!four_decimals_) fail("no cell format can be added");
        format_set_num_format(four_decimals_, "0.0000");
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    ~Workbook() {
        if (book_) lxw_workbook_free(book_);
        std::error_code ignored;
        std::filesystem::remove(part_, ignored); // nothing when it took the file's place
    }

    void write(std::size_t row, std::size_t col, const db::Value& v) {
        if (v.is_null()) return;
        const double number = v.is_number() ? v.as_double() : 0.0;
        const lxw_error e =
            v.is_number() && std::isfinite(number)
                ? worksheet_write_number(sheet_, cell_row(row), cell_col(col),
                                         number + 0.0 /* no negative zero */, number_format(number))
                : worksheet_write_string(sheet_, cell_row(row), cell_col(col), v.as_text().c_str(),
                                         nullptr);
        if (e != LXW_NO_ERROR)
            fail("row " + std::to_string(row + 1) + ", column " + std::to_string(col + 1) + ": " +
                 lxw_strerror(e));
    }

    // Writes the file and frees the workbook.
    void close() {
        const lxw_error e = workbook_close(book_);
        book_ = nullptr;
        if (e != LXW_NO_ERROR) fail(lxw_strerror(e));
        std::error_code ec;
        std::filesystem::rename(part_, file_, ec);
        if (ec) fail(ec.message());
    }

private:
    // Whole numbers (years, keys, counts) are shown as they are, others with 4 decimals;
    // the cell keeps every digit.
    lxw_format* number_format(double v) const {
        return v == std::trunc(v) ? nullptr : four_decimals_;
    }
    lxw_row_t cell_row(std::size_t row) const {
        if (row >= LXW_ROW_MAX)
            fail("row " + std::to_string(row + 1) + " is beyond the last row of a worksheet (" +
                 std::to_string(LXW_ROW_MAX) + ")");
        return static_cast<lxw_row_t>(row);
    }
    lxw_col_t cell_col(std::size_t col) const {
        if (col >= LXW_COL_MAX)
            fail("column " + std::to_string(col + 1) +
                 " is beyond the last column of a worksheet (" + std::to_string(LXW_COL_MAX) + ")");
        return static_cast<lxw_col_t>(col);
    }
    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error("The spreadsheet file '" + file_.string() +
                                 "' cannot be written: " + why + ".");
    }

    std::filesystem::path file_, part_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* four_decimals_ = nullptr;
};

} // namespace

void write_xlsx(const std::filesystem::path& file, const std::vector<std::string>& field_names,
                const std::vector<std::vector<db::Value>>& rows) {
    Workbook book(file);
    for (std::size_t c = 0; c < field_names.size(); ++c) book.write(0, c, field_names[c]);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) book.write(r + 1, c, rows[r][c]);
    book.close();
}

void write_xlsx(const std::filesystem::path& file, db::Dataset& rows) {
    std::vector<std::vector<db::Value>> values;
    values.reserve(static_cast<std::size_t>(rows.record_count()));
    for (rows.first(); !rows.eof(); rows.next()) values.push_back(rows.row());
    write_xlsx(file, rows.field_names(), values);
}

} // namespace app
