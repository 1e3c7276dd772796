#include "app/access_conversion.h"

#include "db/text.h"

#include <filesystem>

namespace app {

bool is_access_database(const std::string& file) {
    const std::string ext = db::lower(std::filesystem::path(file).extension().string());
    return ext == ".mdb" || ext == ".accdb";
}

std::optional<std::string> database_to_open(const std::string& chosen,
                                            const AccessConversion& convert,
                                            const std::string& language, Dialogs& dialogs) {
    if (!convert || !is_access_database(chosen)) return chosen;
    return convert(chosen, language, dialogs);
}

} // namespace app
