#pragma once

namespace kadrilo::platform {

// A part of the system that tests replace (the platform, the registry, the message boxes):
// the program reaches it through current(), tests install a fake with a Replacement guard.
// Each such part defines its real instance, real(), beside its implementation.
template <typename T> class Replaceable {
public:
    // The instance in use: the replacement a test installed, else the real one.
    static T &current() { return s_replacement ? *s_replacement : real(); }

    // Installs `replacement` for the guard's lifetime (tests only). Guards nest: each one
    // puts back the instance that was in use before it.
    class Replacement {
    public:
        explicit Replacement(T &replacement)
            : m_previous(s_replacement) {
            s_replacement = &replacement;
        }
        ~Replacement() { s_replacement = m_previous; }
        Replacement(const Replacement &) = delete;
        Replacement &operator=(const Replacement &) = delete;

    private:
        T *m_previous;
    };

private:
    static T &real();
    inline static T *s_replacement = nullptr;
};

// The guard that replaces T in a test: `platform::Replacement<Platform> installed(fake);`.
template <typename T> using Replacement = typename Replaceable<T>::Replacement;

} // namespace kadrilo::platform
