// settings_store.h --- the per-user store of named string and 32-bit integer values.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace app {

// One value to write: a string or a 32-bit integer.
struct SettingsEntry {
    std::string name;
    std::variant<std::string, std::int32_t> value;
};

// One key of the per-user settings store (the program's key "Software\tsm").
// Value names are compared without regard to case. Reading a missing string gives "";
// reading a missing integer throws SettingsError. Whether the key exists at all is
// told apart (a first start creates it).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual bool key_exists() const = 0;
    virtual void create_key() = 0;

    virtual bool has_value(const std::string& name) const = 0;
    virtual std::string read_string(const std::string& name) const = 0;
    virtual std::int32_t read_integer(const std::string& name) const = 0; // throws when missing
    virtual void write_string(const std::string& name, const std::string& value) = 0;
    virtual void write_integer(const std::string& name, std::int32_t value) = 0;
    // Writes several values at once: whoever reads the store next (also after this
    // program was killed) finds all of them or none. The default writes them in turn.
    virtual void write_all(const std::vector<SettingsEntry>& entries);
    // Names in the order first written (for tests and the first-start check); the user's
    // store lists them in its own order.
    virtual std::vector<std::string> value_names() const = 0;
};

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The store in memory, for tests.
class MemorySettingsStore : public SettingsStore {
public:
    bool key_exists() const override { return exists_ || !entries_.empty(); }
    void create_key() override { exists_ = true; }
    bool has_value(const std::string& name) const override;
    std::string read_string(const std::string& name) const override;
    std::int32_t read_integer(const std::string& name) const override;
    void write_string(const std::string& name, const std::string& value) override;
    void write_integer(const std::string& name, std::int32_t value) override;
    std::vector<std::string> value_names() const override;

private:
    struct Entry {
        std::string name;
        std::optional<std::string> text;
        std::optional<std::int32_t> number;
    };
    const Entry* find(const std::string& name) const;
    Entry& entry(const std::string& name);

    bool exists_ = false;
    std::vector<Entry> entries_;
};

// The user's store: QSettings in the native format (the registry key HKCU\Software\tsm
// on Windows, ~/.config/tsm/tsm.conf on Linux), or, when the environment variable
// TSM_SETTINGS names a file, that INI file instead. The key exists when it holds any
// value (or after create_key on this object): a missing or empty file is a first start.
// Every write is flushed at once, so other running copies see it value by value.
// Throws SettingsError naming the file when it cannot be read or is damaged, and when
// a write cannot be saved.
std::unique_ptr<SettingsStore> open_user_settings();
// Where open_user_settings() keeps the values: the file, or the registry key on Windows.
std::string user_settings_location();

// A value's text as a 32-bit integer (blanks around it allowed); SettingsError naming
// the value when the text is no such number.
std::int32_t settings_integer(const std::string& name, const std::string& text);

} // namespace app
