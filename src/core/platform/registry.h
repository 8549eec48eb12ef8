#pragma once

#include "platform/replaceable.h"

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

// The system's registry on Windows, an empty one elsewhere; tests install their own with a
// Replacement<Registry> guard.
template <> Registry &Replaceable<Registry>::real();

// The registry in use: the real one unless a test installed its own.
inline Registry &registry() {
    return Replaceable<Registry>::current();
}

} // namespace kadrilo::platform
