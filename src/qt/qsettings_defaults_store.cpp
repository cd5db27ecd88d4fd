// The INI settings file: reading defensively, backing up before a rewrite of a
// damaged file, and reporting writes that did not reach the disk.
#include "qt/qsettings_defaults_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cmath>
#include <utility>

namespace vx {
namespace {

QString key(const std::string& k) {
    return QString::fromStdString(k);
}

// What QSettings leaves of a serialized value whose closing part was cut off.
bool looksLikeTruncatedSerialization(const QString& text) {
    return text.startsWith(QLatin1String("@ByteArray(")) ||
           text.startsWith(QLatin1String("@Variant(")) ||
           text.startsWith(QLatin1String("@DateTime("));
}

// A value read back from the file is text until QSettings knows its type.
bool isSameValue(const QVariant& stored, const QVariant& wanted) {
    if (!stored.isValid())
        return false;
    switch (wanted.typeId()) {
    case QMetaType::QByteArray:
        return stored.typeId() == QMetaType::QByteArray &&
               stored.toByteArray() == wanted.toByteArray();
    case QMetaType::Double: {
        bool ok = false;
        const double d = stored.toDouble(&ok);
        return ok && d == wanted.toDouble();
    }
    default:
        return stored.toString() == wanted.toString();
    }
}

bool isText(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)decoder.decode(bytes).operator QString();
    return !decoder.hasError();
}

// Lines QSettings would drop when it rewrites the file: a section header
// without its bracket, or text that is neither a setting nor a comment.
// (QSettings itself reports only some of these, and only on its first read
// of a file in the process.)
bool hasUnparsableLines(const QByteArray& bytes) {
    bool continued = false;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        const bool wasContinued = std::exchange(continued, line.endsWith('\\'));
        if (wasContinued || line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') ? !line.endsWith(']') : !line.contains('='))
            return true;
    }
    return false;
}

} // namespace

QString QSettingsDefaultsStore::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid by the XDG rules and is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/vortaxis/vortaxis.conf");
}

QSettingsDefaultsStore::QSettingsDefaultsStore(const QString& path) : path_(path) {
    const QFileInfo info(path_);
    if (info.exists()) {
        QFile file(path_);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            unreadable_ = true;
        } else if (const QByteArray bytes = file.readAll(); !isText(bytes)) {
            notText_ = true;
            damaged_ = true;
        } else if (hasUnparsableLines(bytes)) {
            damaged_ = true;
        }
    }
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
    if (settings_->status() == QSettings::AccessError)
        unreadable_ = true;
    else if (settings_->status() == QSettings::FormatError)
        damaged_ = true;
}

QSettingsDefaultsStore::~QSettingsDefaultsStore() = default;

std::optional<QVariant> QSettingsDefaultsStore::value(const std::string& k) const {
    if (const auto it = unsaved_.find(k); it != unsaved_.end())
        return it->second;
    if (notText_ || unreadable_)
        return std::nullopt;
    const QVariant v = settings_->value(key(k));
    if (!v.isValid())
        return std::nullopt;
    return v;
}

bool QSettingsDefaultsStore::hasObject(const std::string& k) const {
    return value(k).has_value();
}

std::optional<Bytes> QSettingsDefaultsStore::data(const std::string& k) const {
    const auto v = value(k);
    if (!v)
        return std::nullopt;
    QByteArray bytes;
    if (v->typeId() == QMetaType::QByteArray) {
        bytes = v->toByteArray();
    } else if (v->typeId() == QMetaType::QString &&
               !looksLikeTruncatedSerialization(v->toString())) {
        bytes = v->toString().toUtf8(); // written by hand
    } else {
        damaged_ = true;
        return std::nullopt;
    }
    return Bytes(bytes.begin(), bytes.end());
}

double QSettingsDefaultsStore::doubleValue(const std::string& k) const {
    const auto v = value(k);
    if (!v)
        return 0;
    bool ok = false;
    const double d = v->toDouble(&ok);
    // "nan" and "inf" convert, but are no delay anyone set.
    if (!ok || !std::isfinite(d) || v->typeId() == QMetaType::QStringList) {
        damaged_ = true;
        return 0;
    }
    return d;
}

std::optional<std::string> QSettingsDefaultsStore::string(const std::string& k) const {
    const auto v = value(k);
    if (!v)
        return std::nullopt;
    if (v->typeId() != QMetaType::QString || looksLikeTruncatedSerialization(v->toString())) {
        damaged_ = true;
        return std::nullopt;
    }
    return v->toString().toStdString();
}

void QSettingsDefaultsStore::noteUnreadable(const std::string&) {
    damaged_ = true;
}

std::optional<StoreError> QSettingsDefaultsStore::setData(const std::string& k, const Bytes& v) {
    // QSettings writes bytes as @ByteArray(...) with the JSON text inside, readable as is.
    return write(
        k, QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size())));
}

std::optional<StoreError> QSettingsDefaultsStore::setDouble(const std::string& k, double v) {
    return write(k, v);
}

std::optional<StoreError> QSettingsDefaultsStore::setString(const std::string& k,
                                                            const std::string& v) {
    return write(k, QString::fromStdString(v));
}

std::optional<StoreError> QSettingsDefaultsStore::write(const std::string& k, const QVariant& v) {
    unsaved_[k] = v;
    if (unreadable_)
        return StoreError{"cannot read " + path_.toStdString() + "; not writing over it"};
    if (damaged_ && !keptAside_) {
        if (auto error = keepDamagedFileAside())
            return error;
    }
    // Values an earlier write could not save are tried again with this one.
    for (const auto& [pending, value] : unsaved_)
        settings_->setValue(key(pending), value);
    settings_->sync();
    // QSettings keeps only the first error it met (a format error of the old
    // file hides a failed write), so the file is read back to see what it holds.
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
    for (auto it = unsaved_.begin(); it != unsaved_.end();) {
        if (settings_->status() == QSettings::NoError &&
            isSameValue(settings_->value(key(it->first)), it->second))
            it = unsaved_.erase(it);
        else
            ++it;
    }
    if (unsaved_.count(k))
        return StoreError{"cannot write " + path_.toStdString()};
    return std::nullopt;
}

std::optional<StoreError> QSettingsDefaultsStore::keepDamagedFileAside() {
    if (!QFileInfo::exists(path_)) {
        keptAside_ = true; // nothing left to keep
        return std::nullopt;
    }
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path_ + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path_ + QStringLiteral(".corrupt-") + stamp + QStringLiteral("-%1").arg(n);
    // Bytes that are no text must not be merged into the rewrite: move them
    // away. A damaged text file is copied, so its good settings carry over.
    const bool kept = notText_ ? QFile::rename(path_, target) : QFile::copy(path_, target);
    if (!kept)
        return StoreError{"cannot keep the damaged " + path_.toStdString() + " aside as " +
                          target.toStdString() + "; not writing over it"};
    keptAside_ = true;
    backupPath_ = target;
    if (notText_) {
        // Start from an empty file: forget what QSettings made of the bytes.
        settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
        notText_ = false;
    }
    return std::nullopt;
}

} // namespace vx
