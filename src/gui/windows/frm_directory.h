#pragma once

#include "run/frm_travail.h"

#include <QDialog>
#include <QHash>
#include <QPushButton>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QListWidget;
class QTimer;
class QTreeView;

namespace kadrilo {

struct Module1;
class frm_stats;

namespace windows {
class FolderTreeModel;
}
namespace platform {
class UndecodableFolder;
}

// A push button that acts on the release of any mouse button over it, and on nothing from
// the keyboard: "Go !" of the folder window starts a work cycle only that way.
class MouseReleaseButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

Q_SIGNALS:
    void mouseReleased(Qt::MouseButton button);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The folder selection window: a drive list, a folder tree, the raw files of the opened
// folder, and "Go !", which runs one work cycle (work window, then statistics window).
class frm_directory : public QDialog, public WorkSource {
    Q_OBJECT

public:
    // `workWindow` gives the program's one work window, creating it on first use.
    frm_directory(Module1 &state, std::function<frm_travail &()> workWindow,
                  QWidget *parent = nullptr);
    ~frm_directory() override;

    // The folder opened in the tree (Dir1's path), in native form; for a folder whose name Qt
    // cannot spell, a path that opens it all the same, when there is one.
    QString currentFolder() const override;
    // The opened folder as its name is on disk, undecodable bytes escaped ("ph\xE9").
    QString shownFolder() const override;
    ResultsView &statisticsWindow() override;

    // Opens `folder` in the tree, as a double-click on it does: on the chosen drive when the
    // folder lies on it, else on the innermost drive holding it.
    void setDirPath(const QString &folder);

    // Drive roots a person browses from: drive letters on Windows; elsewhere "/", the home
    // folder and mounted removable media.
    static QStringList browsableRoots();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void Drive1_Change(int index);
    void Dir1_Change();
    void btc_scan_MouseUp();
    void btc_annuler_Click();

    void fillFileList();
    QString rootOf(const QString &folder) const;
    QString currentDrive() const;
    bool removePreviousTagFiles();
    bool folderCanBeOpened();
    void showStatistics();

    Module1 &m_state;
    std::function<frm_travail &()> m_workWindow;
    std::unique_ptr<frm_stats> m_stats;

    QString m_filter = QStringLiteral("*.*");
    QString m_dirPath;
    std::unique_ptr<platform::UndecodableFolder> m_undecodable; // while m_dirPath needs it
    int m_driveIndex = -1;
    QHash<QString, QString> m_folderOnDrive; // last folder opened on each drive root

    QComboBox *Drive1;
    QTreeView *Dir1;
    QFileSystemModel *m_folders;
    windows::FolderTreeModel *m_folderView;
    QTimer *m_reveal;
    bool m_keepRevealing = false;
    QListWidget *File1;
    MouseReleaseButton *btc_scan;
    QCheckBox *check_recursive;
    QPushButton *btc_annuler;
};

} // namespace kadrilo
