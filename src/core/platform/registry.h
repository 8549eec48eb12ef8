#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>

namespace kadrilo::platform {

// Handle values of the predefined root keys, as the Windows registry numbers them.
using RegistryRoot = std::uint32_t;
inline constexpr RegistryRoot hkeyLocalMachine = 0x80000002;

// Status codes, as the Windows registry functions return them.
inline constexpr long registrySuccess = 0;
inline constexpr long registryFileNotFound = 2;
inline constexpr long registryAccessDenied = 5;
inline constexpr long registryMoreData = 234;

// Value types.
inline constexpr std::uint32_t regSz = 1;
inline constexpr std::uint32_t regBinary = 3;
inline constexpr std::uint32_t regDword = 4;

// Full access to a key (KEY_ALL_ACCESS).
inline constexpr std::uint32_t keyAllAccess = 0x2003F;
// Read-only access (KEY_READ).
inline constexpr std::uint32_t keyRead = 0x20019;

using RegistryKey = std::uintptr_t;

struct OpenedKey {
    long status = registryFileNotFound;
    RegistryKey key = 0;
};

struct QueriedValue {
    long status = registryFileNotFound;
    std::uint32_t type = 0;
    // Bytes written into the buffer (or needed, when the status is registryMoreData).
    std::uint32_t bytes = 0;
};

// The system registry, reduced to the three calls the About window makes. Texts go to the
// registry in the system's 8-bit code page, as the ANSI functions take them.
class Registry {
public:
    Registry() = default;
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;
    virtual ~Registry();

    virtual OpenedKey openKey(RegistryRoot root, const QString &path, std::uint32_t access) = 0;
    // Reads value `name` into `buffer`, whose size is the room offered; a value larger than
    // that fails with registryMoreData and leaves the buffer alone.
    virtual QueriedValue queryValue(RegistryKey key, const QString &name, QByteArray &buffer) = 0;
    virtual void closeKey(RegistryKey key) = 0;
};

// A registry held in memory: empty on systems that have none, filled by tests. Key paths
// are compared without regard to letter case, as Windows does; value names too.
class MemoryRegistry : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;

    // Stores a value (creating its key); `data` is stored byte for byte.
    void setValue(RegistryRoot root, const QString &path, const QString &name, std::uint32_t type,
                  const QByteArray &data);
    // A text value in the 8-bit code page, with or without its terminating zero.
    void setText(RegistryRoot root, const QString &path, const QString &name, const QString &text,
                 bool terminatingZero = true);
    // Creates a key that refuses any access beyond `allowed`.
    void restrictKey(RegistryRoot root, const QString &path, std::uint32_t allowed);

    OpenedKey openKey(RegistryRoot root, const QString &path, std::uint32_t access) override;
    QueriedValue queryValue(RegistryKey key, const QString &name, QByteArray &buffer) override;
    void closeKey(RegistryKey key) override;

    // Keys opened and not yet closed: a reader must close every key it opens.
    int openKeyCount() const { return m_open.size(); }

private:
    struct Value {
        std::uint32_t type = 0;
        QByteArray data;
    };
    struct Key {
        std::uint32_t allowedAccess = keyAllAccess;
        QHash<QString, Value> values; // by lower-case name
    };

    Key &keyAt(RegistryRoot root, const QString &path);

    QHash<QString, Key> m_keys;         // by root and lower-case path
    QHash<RegistryKey, QString> m_open; // handle -> key id
    RegistryKey m_nextHandle = 0x1000;
};

// The registry in use: the system's on Windows, an empty one elsewhere, unless a test
// installed its own.
Registry &registry();

// Installs `replacement` as the registry for the guard's lifetime (tests only).
class ScopedRegistry {
public:
    explicit ScopedRegistry(Registry &replacement);
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry &) = delete;
    ScopedRegistry &operator=(const ScopedRegistry &) = delete;

private:
    Registry *m_previous;
};

} // namespace kadrilo::platform
