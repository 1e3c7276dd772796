// statement_corpus.h --- the corpus of Jet statements the program sends
// (tests/db/corpus/statements.jet), read for the translator tests and for the check of
// traced statements against it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test {

struct CorpusStatement {
    std::string comment; // the "-- " line: where the program sends the statement
    std::string text;    // its lines, joined with line ends
};

// The corpus file of the source tree.
std::filesystem::path corpus_file();

// Each statement: a "-- " comment line, the statement's lines, a line "go". Throws
// std::runtime_error naming the file when it cannot be read.
std::vector<CorpusStatement> read_corpus(const std::filesystem::path& file = corpus_file());

// A statement in the corpus format, ready to be appended to the file.
std::string corpus_entry(const std::string& comment, const std::string& text);

} // namespace test
