#include "platform/registry.h"

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace kadrilo::platform {

namespace {

QString valueId(RegistryRoot root, const QString &path, const QString &name) {
    return QString::number(root, 16) + QLatin1Char(':') + path.toLower() + QLatin1Char('|') +
           name.toLower();
}

#ifdef Q_OS_WIN
// The system registry through Qt's native settings, which open a key for reading only.
class WindowsRegistry : public Registry {
public:
    QVariant value(RegistryRoot root, const QString &path, const QString &name) const override {
        if (root != hkeyLocalMachine)
            return {};
        const QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\") + path, QSettings::NativeFormat);
        return key.value(name);
    }
};
#endif

} // namespace

Registry::~Registry() = default;

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::setValue(RegistryRoot root, const QString &path, const QString &name,
                              const QVariant &data) {
    m_values.insert(valueId(root, path, name), data);
}

QVariant MemoryRegistry::value(RegistryRoot root, const QString &path, const QString &name) const {
    return m_values.value(valueId(root, path, name));
}

template <> Registry &Replaceable<Registry>::real() {
#ifdef Q_OS_WIN
    static WindowsRegistry system;
#else
    static MemoryRegistry system;
#endif
    return system;
}

} // namespace kadrilo::platform
