// field_conversion.h --- one field of a source row made into the value its column of
// the new database stores.
#pragma once

#include "import/import_source.h"

#include <stdexcept>
#include <string>

namespace import {

// How the values of a column are converted.
enum class Conversion {
    as_is,   // a column the schema does not know, or a text column: the value unchanged
    number,  // a number column of the schema: numbers, and texts that are wholly a number
    boolean, // a yes/no column: -1 (true) and 0 (false)
};

// A field that cannot be converted; the message says why (without table, row or column).
class FieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The conversion of a column of a schema table from its source column: yes/no when
// either side says so, numbers for the schema's INTEGER and REAL columns, else as it is.
Conversion conversion_for(const std::string& schema_type, bool schema_boolean, bool source_boolean);

// The field converted. Empty (or blank) text in a number or yes/no column is no value
// (Null). A yes/no value is any number (0 false, else true) or one of the words
// true/false, yes/no, on/off, wahr/falsch, ja/nein. Throws FieldError otherwise.
SourceField convert_field(const SourceField& field, Conversion conversion);

} // namespace import
