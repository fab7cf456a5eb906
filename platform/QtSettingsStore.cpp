#include "QtSettingsStore.h"

#include "FileContent.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QDir>
#include <QEvent>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QVariant>
#include <chrono>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>

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

// A name beside the file that says why it was put there and is not taken yet.
std::optional<std::filesystem::path> AsideName(const std::string& file, std::string_view why) {
    for (int number = 1; number <= 100; ++number) {
        std::string name = file + "." + std::string(why);
        if (number > 1) {
            name += "-" + std::to_string(number);
        }
        std::error_code error;
        if (!std::filesystem::exists(name, error) && !error) {
            return name;
        }
    }
    return std::nullopt;
}

// QSettings writes a changed file whole through a new file renamed over the old one, so a write
// that landed leaves another file (or a first one) at the place.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};

    static FileStamp Of(const std::string& file) {
        struct stat status {};
        if (::stat(file.c_str(), &status) != 0) {
            return {};
        }
        return {true, status.st_dev, status.st_ino, status.st_mtim};
    }
    bool operator==(const FileStamp& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

} // namespace

QtSettingsStore::QtSettingsStore()
    : QtSettingsStore(DefaultPath()) {}

QtSettingsStore::QtSettingsStore(const std::string& filePath)
    : keptAside(SetAsideIfUnreadable(filePath))
    , settings(QString::fromStdString(filePath), QSettings::IniFormat) {}

// What QSettings cannot parse it drops, and its next write would replace the file with the rest.
// Text that is not UTF-8 it would write back altered. Such a file is renamed before it is read.
std::optional<std::string> QtSettingsStore::SetAsideIfUnreadable(const std::string& filePath) {
    const std::optional<std::string> bytes = FileContent(filePath);
    if (!bytes) {
        return std::nullopt;
    }
    bool unreadable = !TextEncoding::IsUtf8(*bytes);
    if (!unreadable) {
        // A reader of its own, gone before the store's; it sees the file as the store would.
        // QSettings parses the sections of a file when they are first asked for.
        const QSettings reader(QString::fromStdString(filePath), QSettings::IniFormat);
        (void)reader.allKeys();
        unreadable = reader.status() == QSettings::FormatError;
    }
    if (!unreadable) {
        return std::nullopt;
    }
    const std::optional<std::filesystem::path> aside = AsideName(filePath, "unreadable");
    std::error_code error;
    if (!aside) {
        return std::nullopt;
    }
    std::filesystem::rename(filePath, *aside, error);
    if (error) {
        return std::nullopt; // a folder that cannot be changed takes no write either
    }
    return aside->string();
}

std::optional<std::string> QtSettingsStore::KeepCopy(std::string_view why) {
    const std::string file = FilePath();
    const std::optional<std::string> bytes = FileContent(file);
    if (!bytes) {
        return std::nullopt;
    }
    // One copy of the same file is enough, however often it is asked for.
    for (int number = 1; number <= 100; ++number) {
        const std::string name = file + "." + std::string(why) +
                                 (number > 1 ? "-" + std::to_string(number) : std::string());
        const std::optional<std::string> earlier = FileContent(name);
        if (!earlier) {
            break;
        }
        if (*earlier == *bytes) {
            return name;
        }
    }
    const std::optional<std::filesystem::path> copy = AsideName(file, why);
    std::error_code error;
    if (!copy || !std::filesystem::copy_file(file, *copy, error)) {
        return std::nullopt;
    }
    return copy->string();
}

// QSettings shares what it has read of a file among its objects in a process, and tells that the
// file has changed by its size and its time of change, which two writes within a few milliseconds
// can share. A copy of the file under a name of its own is read afresh; without one, what QSettings
// has seen of the file is all there is.
std::string QtSettingsStore::StoredNow(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) {
    const std::optional<std::string> bytes = FileContent(FilePath());
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/pulsara-settings-XXXXXX.conf"));
    if (bytes && copy.open() &&
        copy.write(bytes->data(), static_cast<qint64>(bytes->size())) ==
            static_cast<qint64>(bytes->size()) &&
        copy.flush()) {
        const QSettings reader(copy.fileName(), QSettings::IniFormat);
        return ValueOf(reader.value(StorageKey(section, key))).value_or(std::string(defaultValue));
    }
    settings.sync();
    return Read(section, key, defaultValue);
}

bool QtSettingsStore::Holds(std::string_view section, std::string_view key) const {
    return settings.contains(StorageKey(section, key));
}

bool QtSettingsStore::CanWrite() const {
    return settings.isWritable() && settings.status() != QSettings::AccessError;
}

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
    return lastWriteFailed;
}

void QtSettingsStore::Write(std::string_view section, std::string_view key,
                            std::string_view value) {
    const std::string file = FilePath();
    const FileStamp before = FileStamp::Of(file);
    settings.setValue(StorageKey(section, key), StorageValue(value));
    // A failed sync leaves the file as it was and the value in memory, where the next write tries
    // again; the caller is not troubled either way. QSettings' own status stays at the first error
    // for good, so whether this write landed is seen from the file.
    settings.sync();
    const FileStamp after = FileStamp::Of(file);
    lastWriteFailed = !after.exists || after == before;
}

std::string QtSettingsStore::Update(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const Change& change) {
    // Runs of the program that change a value at the same moment take turns, so that none
    // computes from a value that another is about to replace. The turn is asked for often (a
    // long wait between tries would let a busy other run take every turn), and a turn that does
    // not come within a while is not waited for.
    QLockFile turn(settings.fileName() + QStringLiteral(".update-lock"));
    turn.setStaleLockTime(10000);
    bool locked = turn.tryLock(0);
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         !locked && std::chrono::steady_clock::now() < until; locked = turn.tryLock(0)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::string value = change(StoredNow(section, key, defaultValue));
    Write(section, key, value);
    if (locked) {
        turn.unlock();
    }
    return value;
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
