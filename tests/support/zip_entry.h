// zip_entry.h --- reading one entry of a zip file (an .xlsx workbook) back in tests.
#pragma once

#include <filesystem>
#include <string>

namespace test {

// The entry as text; throws std::runtime_error naming the file and the entry when the file
// is no zip file or holds no such entry.
std::string zip_entry(const std::filesystem::path& file, const std::string& name);

} // namespace test
