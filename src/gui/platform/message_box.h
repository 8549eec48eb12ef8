#pragma once

#include <QString>

class QWidget;

namespace kadrilo::platform {

enum class MessageIcon { None, Critical, Question, Information, Warning };

// The message boxes the windows show. Tests install their own to answer them without a
// person clicking; the default shows a real modal box.
class MessageBoxes {
public:
    MessageBoxes() = default;
    MessageBoxes(const MessageBoxes &) = delete;
    MessageBoxes &operator=(const MessageBoxes &) = delete;
    virtual ~MessageBoxes();

    // A modal message box with a single OK button; returns when the person closed it.
    // `details`, when not empty, is shown behind the box's "details" button.
    virtual void show(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                      const QString &details);
};

// `text` as a real box lays it out: no word breaks at its hyphen ("celle-ci"), which word
// joiners hold. A line that names a path (it starts with a separator or a drive letter) keeps
// its characters: the box is made wide enough for it instead.
QString unbrokenWords(const QString &text);

// Shows a message through the installed message boxes.
void showMessage(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                 const QString &details = {});

// Installs `replacement` for the guard's lifetime (tests only).
class ScopedMessageBoxes {
public:
    explicit ScopedMessageBoxes(MessageBoxes &replacement);
    ~ScopedMessageBoxes();
    ScopedMessageBoxes(const ScopedMessageBoxes &) = delete;
    ScopedMessageBoxes &operator=(const ScopedMessageBoxes &) = delete;

private:
    MessageBoxes *m_previous;
};

} // namespace kadrilo::platform
