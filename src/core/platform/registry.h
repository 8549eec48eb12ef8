#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstdint>

namespace kadrilo::platform {

// Handle values of the predefined root keys, as the Windows registry numbers them.
using RegistryRoot = std::uint32_t;
inline constexpr RegistryRoot hkeyLocalMachine = 0x80000002;

// The system registry, reduced to what the About window reads: one value of a key, read-only.
class Registry {
public:
    Registry() = default;
    Registry(const Registry &) = delete;
    Registry &operator=(const Registry &) = delete;
    virtual ~Registry();

    // Value `name` of the key `path` under `root`; invalid when the key or the value is
    // missing or cannot be read. As Qt reads them: a text as a QString, a 32-bit number as an
    // int, other types as Qt gives them.
    virtual QVariant value(RegistryRoot root, const QString &path, const QString &name) const = 0;
};

// A registry held in memory: empty on systems that have none, filled by tests. Key paths
// are compared without regard to letter case, as Windows does; value names too.
class MemoryRegistry : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;

    // Stores a value, creating its key.
    void setValue(RegistryRoot root, const QString &path, const QString &name,
                  const QVariant &data);

    QVariant value(RegistryRoot root, const QString &path, const QString &name) const override;

private:
    QHash<QString, QVariant> m_values; // by root, lower-case path and lower-case name
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
