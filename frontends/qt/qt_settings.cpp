#include "frontends/qt/qt_settings.h"

#include <QStringList>

namespace zl::qt {

namespace {

QString Key(const std::string& section, const std::string& name) {
  return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(name);
}

}  // namespace

void QtSettingsStore::SetRegistryKey(const std::string& organisation,
                                     const std::string& application) {
  settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                          QString::fromStdString(organisation),
                                          QString::fromStdString(application));
}

QVariant QtSettingsStore::Read(const std::string& section, const std::string& name) {
  if (!settings_)
    return {};
  return settings_->value(Key(section, name));
}

int QtSettingsStore::ReadInt(const std::string& section, const std::string& name,
                             int defaultValue) {
  const QVariant value = Read(section, name);
  bool ok = false;
  const int number = value.toInt(&ok);
  return value.isValid() && ok ? number : defaultValue;
}

std::string QtSettingsStore::ReadText(const std::string& section, const std::string& name,
                                      const std::string& defaultValue) {
  const QVariant value = Read(section, name);
  if (!value.isValid())
    return defaultValue;
  // A settings file read by hand may hold an unquoted text with commas,
  // which comes back as a list.
  if (value.typeId() == QMetaType::QStringList)
    return value.toStringList().join(QLatin1Char(',')).toStdString();
  if (!value.canConvert<QString>())
    return defaultValue;
  return value.toString().toStdString();
}

bool QtSettingsStore::Write(const std::string& section, const std::string& name,
                            const QVariant& value) {
  if (!settings_)
    return false;
  settings_->setValue(Key(section, name), value);
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

bool QtSettingsStore::WriteInt(const std::string& section, const std::string& name, int value) {
  return Write(section, name, value);
}

bool QtSettingsStore::WriteText(const std::string& section, const std::string& name,
                                const std::string& value) {
  return Write(section, name, QString::fromStdString(value));
}

std::string QtSettingsStore::Location() const {
  return settings_ ? settings_->fileName().toStdString() : std::string();
}

PortOverrides ReadPortOverrides(const std::string& organisation, const std::string& application) {
  QtSettingsStore store;
  store.SetRegistryKey(organisation, application);
  PortOverrides overrides;
  for (int number = 1; number <= 19; ++number) {
    const std::string name = "COM" + std::to_string(number);
    const std::string path = store.ReadText(kPortsSection, name, "");
    if (!path.empty())
      overrides[name] = path;
  }
  return overrides;
}

}  // namespace zl::qt
