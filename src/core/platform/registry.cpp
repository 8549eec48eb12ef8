#include "platform/registry.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include <cstring>

namespace kadrilo::platform {

namespace {

Registry *g_current = nullptr;

QString keyId(RegistryRoot root, const QString &path) {
    return QString::number(root, 16) + QLatin1Char(':') + path.toLower();
}

#ifdef Q_OS_WIN
// The predefined keys are negative 32-bit values widened with their sign, as the system
// headers define them.
HKEY rootKey(RegistryRoot root) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(root)));
}

// The system registry through the ANSI functions, with texts in the system code page.
class WindowsRegistry : public Registry {
public:
    OpenedKey openKey(RegistryRoot root, const QString &path, std::uint32_t access) override {
        HKEY key = nullptr;
        const QByteArray localPath = path.toLocal8Bit();
        const LONG status = RegOpenKeyExA(rootKey(root), localPath.constData(), 0, access, &key);
        return {status, reinterpret_cast<RegistryKey>(key)};
    }

    QueriedValue queryValue(RegistryKey key, const QString &name, QByteArray &buffer) override {
        DWORD type = 0;
        DWORD size = DWORD(buffer.size());
        const QByteArray localName = name.toLocal8Bit();
        const LONG status =
            RegQueryValueExA(reinterpret_cast<HKEY>(key), localName.constData(), nullptr, &type,
                             reinterpret_cast<LPBYTE>(buffer.data()), &size);
        return {status, std::uint32_t(type), std::uint32_t(size)};
    }

    void closeKey(RegistryKey key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }
};
#endif

} // namespace

Registry::~Registry() = default;

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Key &MemoryRegistry::keyAt(RegistryRoot root, const QString &path) {
    return m_keys[keyId(root, path)];
}

void MemoryRegistry::setValue(RegistryRoot root, const QString &path, const QString &name,
                              std::uint32_t type, const QByteArray &data) {
    keyAt(root, path).values.insert(name.toLower(), Value{type, data});
}

void MemoryRegistry::setText(RegistryRoot root, const QString &path, const QString &name,
                             const QString &text, bool terminatingZero) {
    QByteArray data = text.toLocal8Bit();
    if (terminatingZero)
        data.append('\0');
    setValue(root, path, name, regSz, data);
}

void MemoryRegistry::restrictKey(RegistryRoot root, const QString &path, std::uint32_t allowed) {
    keyAt(root, path).allowedAccess = allowed;
}

OpenedKey MemoryRegistry::openKey(RegistryRoot root, const QString &path, std::uint32_t access) {
    const QString id = keyId(root, path);
    const auto found = m_keys.constFind(id);
    if (found == m_keys.constEnd())
        return {registryFileNotFound, 0};
    if ((access & ~found->allowedAccess) != 0)
        return {registryAccessDenied, 0};
    const RegistryKey handle = m_nextHandle++;
    m_open.insert(handle, id);
    return {registrySuccess, handle};
}

QueriedValue MemoryRegistry::queryValue(RegistryKey key, const QString &name, QByteArray &buffer) {
    const auto open = m_open.constFind(key);
    if (open == m_open.constEnd())
        return {6 /* invalid handle */, 0, 0};
    const Key &stored = m_keys[*open];
    const auto value = stored.values.constFind(name.toLower());
    if (value == stored.values.constEnd())
        return {registryFileNotFound, 0, 0};
    const auto size = std::uint32_t(value->data.size());
    if (value->data.size() > buffer.size())
        return {registryMoreData, value->type, size};
    std::memcpy(buffer.data(), value->data.constData(), size_t(size));
    return {registrySuccess, value->type, size};
}

void MemoryRegistry::closeKey(RegistryKey key) {
    m_open.remove(key);
}

Registry &registry() {
    if (g_current)
        return *g_current;
#ifdef Q_OS_WIN
    static WindowsRegistry system;
#else
    static MemoryRegistry system;
#endif
    return system;
}

ScopedRegistry::ScopedRegistry(Registry &replacement)
    : m_previous(g_current) {
    g_current = &replacement;
}

ScopedRegistry::~ScopedRegistry() {
    g_current = m_previous;
}

} // namespace kadrilo::platform
