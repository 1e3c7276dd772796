#include "statement_corpus.h"

#include <fstream>
#include <optional>
#include <stdexcept>

namespace test {

std::filesystem::path corpus_file() {
    return std::filesystem::path(TSM_CORPUS_DIR) / "statements.jet";
}

std::vector<CorpusStatement> read_corpus(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::vector<CorpusStatement> out;
    std::optional<CorpusStatement> open;
    std::string line;
    while (std::getline(in, line)) {
        if (!open) {
            if (line.rfind("-- ", 0) == 0) open = CorpusStatement{line, {}};
        } else if (line == "go") {
            out.push_back(std::move(*open));
            open.reset();
        } else {
            open->text += (open->text.empty() ? "" : "\n") + line;
        }
    }
    return out;
}

std::string corpus_entry(const std::string& comment, const std::string& text) {
    std::string entry = "-- " + comment + "\n" + text;
    if (entry.back() != '\n') entry += '\n';
    return entry + "go\n";
}

} // namespace test
