#include "zip_entry.h"

#include <memory>
#include <stdexcept>
#include <unzip.h>

namespace test {

std::string zip_entry(const std::filesystem::path& file, const std::string& name) {
    const std::unique_ptr<void, int (*)(unzFile)> zip(unzOpen64(file.string().c_str()), unzClose);
    if (!zip) throw std::runtime_error("not a zip file: " + file.string());
    if (unzLocateFile(zip.get(), name.c_str(), 0) != UNZ_OK ||
        unzOpenCurrentFile(zip.get()) != UNZ_OK)
        throw std::runtime_error("no entry " + name + " in " + file.string());
    std::string text;
    char buffer[4096];
    int n = 0;
    while ((n = unzReadCurrentFile(zip.get(), buffer, sizeof buffer)) > 0) text.append(buffer, n);
    unzCloseCurrentFile(zip.get());
    return text;
}

} // namespace test
