// The defaults store of the program: an INI file read and written with
// QSettings, at $XDG_CONFIG_HOME/vortaxis/vortaxis.conf. A damaged file is
// survived: it reads as missing settings and is kept aside before it is first
// rewritten; a file that cannot be read or written is never clobbered.
#pragma once

#include "core/base/defaults_store.h"

#include <QSettings>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>

namespace vx {

class QSettingsDefaultsStore final : public DefaultsStore {
public:
    // $XDG_CONFIG_HOME (when set and absolute, else ~/.config) + /vortaxis/vortaxis.conf.
    static QString defaultPath();

    explicit QSettingsDefaultsStore(const QString& path = defaultPath());
    ~QSettingsDefaultsStore() override;

    const QString& path() const { return path_; }
    // Where a damaged file was kept before it was rewritten, once that happened.
    const std::optional<QString>& backupPath() const { return backupPath_; }

    bool hasObject(const std::string& key) const override;
    std::optional<Bytes> data(const std::string& key) const override;
    double doubleValue(const std::string& key) const override;
    std::optional<std::string> string(const std::string& key) const override;

    std::optional<StoreError> setData(const std::string& key, const Bytes& value) override;
    std::optional<StoreError> setDouble(const std::string& key, double value) override;
    std::optional<StoreError> setString(const std::string& key, const std::string& value) override;

    void noteUnreadable(const std::string& key) override;

private:
    std::optional<QVariant> value(const std::string& key) const;
    std::optional<StoreError> write(const std::string& key, const QVariant& value);
    std::optional<StoreError> keepDamagedFileAside();

    QString path_;
    std::unique_ptr<QSettings> settings_;
    // The file exists but could not be read: it is never written over.
    bool unreadable_ = false;
    // The file is not text at all: nothing in it is believed.
    bool notText_ = false;
    // Something in the file was found damaged; kept aside before the next write.
    mutable bool damaged_ = false;
    bool keptAside_ = false;
    std::optional<QString> backupPath_;
    // Values that could not reach the file, still in force for this run.
    std::map<std::string, QVariant> unsaved_;
};

} // namespace vx
