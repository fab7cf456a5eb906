#include "QtSettingsStore.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>
#include <QStringDecoder>
#include <QVariant>

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
    // A damaged file may hold anything under a key (a list, a stray @Variant); only what this
    // store writes counts as a value.
    const QVariant value = settings.value(StorageKey(section, key));
    if (value.typeId() == QMetaType::QString) {
        return value.toString().toStdString();
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    return std::string(defaultValue);
}

void QtSettingsStore::Write(std::string_view section, std::string_view key,
                            std::string_view value) {
    settings.setValue(StorageKey(section, key), StorageValue(value));
    // A failed sync leaves the file as it was and the value in memory, where the next write tries
    // again; the caller is not troubled either way.
    settings.sync();
}
