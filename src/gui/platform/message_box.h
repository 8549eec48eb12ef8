#pragma once

#include "platform/replaceable.h"

#include <QString>

class QWidget;

namespace kadrilo::platform {

enum class MessageIcon { None, Critical, Question, Information, Warning };

// The message boxes the windows show. Tests install their own with a
// Replacement<MessageBoxes> guard to answer them without a person clicking; the real one shows
// a modal box.
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

template <> MessageBoxes &Replaceable<MessageBoxes>::real();

// Shows a message through the message boxes in use.
void showMessage(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                 const QString &details = {});

} // namespace kadrilo::platform
