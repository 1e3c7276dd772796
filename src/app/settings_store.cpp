// settings_store.cpp --- the per-user settings store: in memory, and through QSettings.
#include "app/settings_store.h"

#include "db/text.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace app {

std::int32_t settings_integer(const std::string& name, const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    std::string_view digits;
    if (first != std::string::npos) digits = std::string_view(text).substr(first, last - first + 1);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        throw SettingsError("settings value \"" + name + "\" is not an integer: \"" + text + "\"");
    return value;
}

namespace {

SettingsError missing_integer(const std::string& name) {
    return SettingsError("settings value \"" + name + "\" does not exist");
}

} // namespace

void SettingsStore::write_all(const std::vector<SettingsEntry>& entries) {
    for (const SettingsEntry& e : entries) {
        if (const auto* text = std::get_if<std::string>(&e.value))
            write_string(e.name, *text);
        else
            write_integer(e.name, std::get<std::int32_t>(e.value));
    }
}

// ---------------------------------------------------------------------------
// In memory

const MemorySettingsStore::Entry* MemorySettingsStore::find(const std::string& name) const {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return db::iequals(e.name, name); });
    return it == entries_.end() ? nullptr : &*it;
}

MemorySettingsStore::Entry& MemorySettingsStore::entry(const std::string& name) {
    for (Entry& e : entries_)
        if (db::iequals(e.name, name)) return e;
    entries_.push_back(Entry{name, std::nullopt, std::nullopt});
    return entries_.back();
}

bool MemorySettingsStore::has_value(const std::string& name) const {
    return find(name) != nullptr;
}

std::string MemorySettingsStore::read_string(const std::string& name) const {
    const Entry* e = find(name);
    if (!e) return "";
    return e->number ? std::to_string(*e->number) : e->text.value_or("");
}

std::int32_t MemorySettingsStore::read_integer(const std::string& name) const {
    const Entry* e = find(name);
    if (!e) throw missing_integer(name);
    return e->number ? *e->number : settings_integer(name, e->text.value_or(""));
}

void MemorySettingsStore::write_string(const std::string& name, const std::string& value) {
    Entry& e = entry(name);
    e.text = value;
    e.number.reset();
}

void MemorySettingsStore::write_integer(const std::string& name, std::int32_t value) {
    Entry& e = entry(name);
    e.number = value;
    e.text.reset();
}

std::vector<std::string> MemorySettingsStore::value_names() const {
    std::vector<std::string> names;
    for (const Entry& e : entries_) names.push_back(e.name);
    return names;
}

// ---------------------------------------------------------------------------
// QSettings: the registry key on Windows, an INI-style file elsewhere or on request

namespace {

class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {
        check_status("cannot be read");
    }

    bool key_exists() const override { return created_ || !names().isEmpty(); }
    void create_key() override { created_ = true; }

    bool has_value(const std::string& name) const override { return stored_key(name).has_value(); }

    std::string read_string(const std::string& name) const override {
        const auto key = stored_key(name);
        return key ? text_of(settings_->value(*key)) : "";
    }

    std::int32_t read_integer(const std::string& name) const override {
        const auto key = stored_key(name);
        if (!key) throw missing_integer(name);
        const QVariant v = settings_->value(*key);
        if (v.typeId() == QMetaType::Int) return v.toInt();
        return settings_integer(name, text_of(v));
    }

    void write_string(const std::string& name, const std::string& value) override {
        write(name, QVariant(QString::fromStdString(value)));
    }

    void write_integer(const std::string& name, std::int32_t value) override {
        write(name, QVariant(static_cast<int>(value)));
    }

    // All values go into the store's file in one save, which replaces the file whole.
    void write_all(const std::vector<SettingsEntry>& entries) override {
        for (const SettingsEntry& e : entries) {
            const QString key = stored_key(e.name).value_or(QString::fromStdString(e.name));
            if (const auto* text = std::get_if<std::string>(&e.value))
                settings_->setValue(key, QString::fromStdString(*text));
            else
                settings_->setValue(key, static_cast<int>(std::get<std::int32_t>(e.value)));
        }
        settings_->sync();
        check_status("cannot be written");
    }

    std::vector<std::string> value_names() const override {
        std::vector<std::string> out;
        for (const QString& k : names()) out.push_back(k.toStdString());
        return out;
    }

private:
    // Reloads what other running copies wrote since the last look.
    QStringList names() const {
        settings_->sync();
        check_status("cannot be read");
        return settings_->childKeys();
    }

    // The stored spelling of a value name: names are compared without regard to case,
    // but an INI file keeps them case-sensitive.
    std::optional<QString> stored_key(const std::string& name) const {
        for (const QString& k : names())
            if (db::iequals(k.toStdString(), name)) return k;
        return std::nullopt;
    }

    void write(const std::string& name, const QVariant& value) {
        settings_->setValue(stored_key(name).value_or(QString::fromStdString(name)), value);
        settings_->sync();
        check_status("cannot be written");
    }

    static std::string text_of(const QVariant& v) {
        // A hand-edited INI value with unquoted commas comes back as a list.
        if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(", ").toStdString();
        return v.toString().toStdString();
    }

    void check_status(const std::string& what) const {
        const std::string file = settings_->fileName().toStdString();
        switch (settings_->status()) {
        case QSettings::NoError:
            return;
        case QSettings::AccessError:
            throw SettingsError("settings store " + file + " " + what);
        case QSettings::FormatError:
            throw SettingsError("settings file " + file + " is damaged (not a settings file)");
        }
    }

    std::unique_ptr<QSettings> settings_;
    bool created_ = false;
};

std::unique_ptr<QSettings> user_qsettings() {
    const char* file = std::getenv("TSM_SETTINGS");
    if (file && *file)
        return std::make_unique<QSettings>(QString::fromLocal8Bit(file), QSettings::IniFormat);
#ifdef _WIN32
    return std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\tsm", QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "tsm", "tsm");
#endif
}

} // namespace

std::unique_ptr<SettingsStore> open_user_settings() {
    return std::make_unique<QtSettingsStore>(user_qsettings());
}

std::string user_settings_location() {
    return user_qsettings()->fileName().toStdString();
}

} // namespace app
