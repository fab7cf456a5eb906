#include "QtSettingsStore.h"

#include <QByteArray>
#include <QEvent>
#include <QStandardPaths>
#include <QString>
#include <QStringDecoder>
#include <QVariant>
#include <optional>

namespace {

// QSettings reads "/" as a group separator and folds doubled, leading and trailing ones, so
// "mix/_main" and "mix//_main" would meet in one entry. Each section and key therefore becomes a
// single flat ASCII name: "%", "/" and every byte above 127 are written as "%" and two hex digits,
// and the empty name as a lone "%", which no other name can produce. The mapping is one-to-one, so
// keys never collide; QSettings escapes what else the INI syntax needs ("<" becomes "%3C" in the
// file) and undoes it on reading.
QString FlatName(std::string_view name) {
    if (name.empty()) {
        return QStringLiteral("%");
    }
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    QString flat;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || c == '/' || byte > 127) {
            flat += u'%';
            flat += QLatin1Char(hexDigits[byte >> 4]);
            flat += QLatin1Char(hexDigits[byte & 15]);
        } else {
            flat += QLatin1Char(c);
        }
    }
    return flat;
}

// The name that FlatName made into name; nothing for a name it cannot have made.
std::optional<std::string> Unflattened(const QString& flat) {
    if (flat == QStringLiteral("%")) {
        return std::string();
    }
    const QByteArray bytes = flat.toLatin1();
    std::string name;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%') {
            name += bytes[i];
            continue;
        }
        bool ok = false;
        const int byte = bytes.mid(i + 1, 2).toInt(&ok, 16);
        if (!ok || i + 2 >= bytes.size()) {
            return std::nullopt;
        }
        name += static_cast<char>(byte);
        i += 2;
    }
    return name;
}

QString StorageKey(std::string_view section, std::string_view key) {
    return FlatName(section) + u'/' + FlatName(key);
}

// Text is kept as readable text; bytes that are not UTF-8 (a caption in an old 8-bit code page)
// are kept as a byte array, so that every value comes back byte for byte.
QVariant StorageValue(std::string_view value) {
    const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return bytes;
    }
    return text;
}

// A damaged file may hold anything under a key (a list, a stray @Variant); only what this store
// writes counts as a value.
std::optional<std::string> ValueOf(const QVariant& value) {
    if (value.typeId() == QMetaType::QString) {
        return value.toString().toStdString();
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    return std::nullopt;
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(DefaultPath()) {}

QtSettingsStore::QtSettingsStore(const std::string& filePath)
    : settings(QString::fromStdString(filePath), QSettings::IniFormat) {}

std::string QtSettingsStore::DefaultPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QStringLiteral("/Pulsara/Pulsara.conf")).toStdString();
}

std::string QtSettingsStore::FilePath() const {
    return settings.fileName().toStdString();
}

std::string QtSettingsStore::Read(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) {
    return ValueOf(settings.value(StorageKey(section, key))).value_or(std::string(defaultValue));
}

bool QtSettingsStore::ExplicitSettings::event(QEvent* e) {
    if (e->type() == QEvent::UpdateRequest) {
        return true; // every write has synced already
    }
    return QSettings::event(e);
}

QtSettingsStore::Values QtSettingsStore::Entries() {
    Values entries;
    for (const QString& stored : settings.allKeys()) {
        const qsizetype slash = stored.indexOf(u'/');
        if (slash < 0 || stored.indexOf(u'/', slash + 1) >= 0) {
            continue; // not written by this store
        }
        const std::optional<std::string> section = Unflattened(stored.left(slash));
        const std::optional<std::string> key = Unflattened(stored.mid(slash + 1));
        std::optional<std::string> value = ValueOf(settings.value(stored));
        if (section && key && value) {
            entries[{*section, *key}] = std::move(*value);
        }
    }
    return entries;
}

bool QtSettingsStore::WriteFailed() {
    // A damaged file is a FormatError, which the next write mends; only a file that cannot be
    // replaced loses what is written.
    return settings.status() == QSettings::AccessError;
}

void QtSettingsStore::Write(std::string_view section, std::string_view key,
                            std::string_view value) {
    settings.setValue(StorageKey(section, key), StorageValue(value));
    // A failed sync leaves the file as it was and the value in memory, where the next write tries
    // again; the caller is not troubled either way.
    settings.sync();
}

void QtSettingsStore::Remove(std::string_view section, std::string_view key) {
    settings.remove(StorageKey(section, key));
    settings.sync();
}

std::optional<std::string> QtSettingsStore::Find(std::string_view section, std::string_view key) {
    const QString stored = StorageKey(section, key);
    if (!settings.contains(stored)) {
        return std::nullopt;
    }
    return ValueOf(settings.value(stored));
}
