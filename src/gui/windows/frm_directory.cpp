#include "windows/frm_directory.h"

#include "analysis/wording.h"
#include "platform/folder_lock.h"
#include "platform/geometry.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/undecodable_folder.h"
#include "run/extraction.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "stats/frm_stats.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

namespace kadrilo {

namespace {

using platform::twipsRect;

const QString &canonFilter() {
    static const QString filter = QStringLiteral("*.crw;*.cr2");
    return filter;
}

// "*.*" means every file, with or without an extension, as on Windows.
QStringList filterPatterns(const QString &filter) {
    QStringList patterns = filter.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString &pattern : patterns) {
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    }
    return patterns;
}

QString cleanFolder(const QString &folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

// What the person reads when ExifTool was stopped for reading `device` without end: which
// entries of the folder lead there, and what to do about them.
QString endlessReadText(const QString &device, const QStringList &entries) {
    QString text = QStringLiteral("ExifTool lisait sans fin %1, qui n'est pas une image mais "
                                  "un périphérique : il a été arrêté.")
                       .arg(wording::quotedPath(device));
    if (entries.isEmpty())
        text += QStringLiteral("\r\nUn fichier du dossier nommé comme une image RAW y mène. "
                               "Retirez-le du dossier, puis relancez l'analyse.");
    else if (entries.size() == 1)
        text += QStringLiteral("\r\nNommé comme une image RAW, ce fichier y mène :\r\n%1\r\n"
                               "Retirez-le du dossier, puis relancez l'analyse.")
                    .arg(entries.first());
    else
        text += QStringLiteral("\r\nNommés comme des images RAW, ces fichiers y mènent :\r\n%1"
                               "\r\nRetirez-les du dossier, puis relancez l'analyse.")
                    .arg(entries.join(QStringLiteral("\r\n")));
    return text + QStringLiteral("\r\nLes statistiques ne portent que sur les images lues avant "
                                 "cet arrêt.");
}

// Why a folder whose name Qt cannot spell cannot be analysed.
QString undecodableText(const platform::UndecodableFolder &folder) {
    using Reach = platform::UndecodableFolder::Reach;
    const QString encoding = QStringLiteral(
        "n'est pas écrit en UTF-8, le seul codage de noms de fichiers que Kadrilo sache lire");
    const QString rename =
        QStringLiteral("Renommez-le en UTF-8 (par exemple avec « convmv -f latin1 -t utf8 "
                       "--notest »), puis relancez l'analyse.");
    switch (folder.reach()) {
    case Reach::Ambiguous:
        return QStringLiteral("Plusieurs dossiers ont un nom qui %1, et qu'il lit de la même façon "
                              ":\r\n%2\r\nKadrilo ne peut pas savoir lequel analyser. %3")
            .arg(encoding, folder.candidates().join(QStringLiteral("\r\n")),
                 QString(rename).replace(QStringLiteral("Renommez-le"),
                                         QStringLiteral("Renommez-les")));
    case Reach::NoProcPath:
        return QStringLiteral("Le nom du dossier\r\n%1\r\n%2 sur ce système : il ne peut pas être "
                              "analysé. %3")
            .arg(folder.shownPath(), encoding, rename);
    case Reach::NotFound:
    case Reach::Open:
        break;
    }
    return QStringLiteral("Le dossier\r\n%1\r\nest introuvable : son nom %2, et Kadrilo ne le "
                          "retrouve pas sur le disque.")
        .arg(folder.shownPath(), encoding);
}

bool liesUnder(const QString &folder, const QString &root) {
    const Qt::CaseSensitivity cs =
#ifdef Q_OS_WIN
        Qt::CaseInsensitive;
#else
        Qt::CaseSensitive;
#endif
    if (folder.compare(root, cs) == 0)
        return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return folder.startsWith(prefix, cs);
}

} // namespace

namespace windows {

// The folder tree's model: the folders of one drive, its root the single top row, with the
// opened folder drawn in bold and with an open-folder icon, so that it stands apart from a
// folder merely highlighted.
class FolderTreeModel : public QSortFilterProxyModel {
public:
    explicit FolderTreeModel(QFileSystemModel &folders, QObject *parent)
        : QSortFilterProxyModel(parent)
        , m_folders(folders) {
        setSourceModel(&folders);
    }

    void setDrive(const QString &root) {
        if (root == m_drive)
            return;
        m_drive = root;
        invalidateFilter();
    }

    // The tree's invisible root: the folder holding the drive's root, so that the root
    // itself is a row a person can double-click.
    QModelIndex treeRoot() const { return mapFromSource(m_folders.index(m_drive).parent()); }

    void setCurrentFolder(const QString &folder) {
        const QModelIndex previous = indexOf(m_current);
        m_current = folder;
        for (const QModelIndex &changed : {previous, indexOf(m_current)}) {
            if (changed.isValid())
                Q_EMIT dataChanged(changed, changed, {Qt::FontRole, Qt::DecorationRole});
        }
    }

    QModelIndex indexOf(const QString &folder) const {
        return folder.isEmpty() ? QModelIndex() : mapFromSource(m_folders.index(folder));
    }

    QString pathAt(const QModelIndex &index) const {
        return m_folders.filePath(mapToSource(index));
    }

    QVariant data(const QModelIndex &index, int role) const override {
        if ((role == Qt::FontRole || role == Qt::DecorationRole) && index.column() == 0 &&
            !m_current.isEmpty() && pathAt(index) == m_current) {
            if (role == Qt::DecorationRole)
                return QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon);
            QFont font = platform::classicFont(true);
            return font;
        }
        return QSortFilterProxyModel::data(index, role);
    }

protected:
    // Only the drive's own folders and the folders above its root are kept: beside the
    // root, other drives and the root's neighbours (other users' homes) stay out of sight.
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override {
        if (m_drive.isEmpty())
            return true;
        const QString path = m_folders.filePath(m_folders.index(row, 0, parent));
        return liesUnder(path, m_drive) || liesUnder(m_drive, path);
    }

private:
    QFileSystemModel &m_folders;
    QString m_drive;
    QString m_current;
};

} // namespace windows

void MouseReleaseButton::mouseReleaseEvent(QMouseEvent *event) {
    const bool over = rect().contains(event->position().toPoint());
    QPushButton::mouseReleaseEvent(event);
    if (over && isEnabled()) {
        event->accept();
        Q_EMIT mouseReleased(event->button());
    }
}

frm_directory::frm_directory(Module1 &state, std::function<frm_travail &()> workWindow,
                             QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_state(state)
    , m_workWindow(std::move(workWindow))
    , Drive1(new QComboBox(this))
    , Dir1(new QTreeView(this))
    , m_folders(new QFileSystemModel(this))
    , m_folderView(new windows::FolderTreeModel(*m_folders, this))
    , m_reveal(new QTimer(this))
    , File1(new QListWidget(this))
    , btc_scan(new MouseReleaseButton(QStringLiteral("Go !"), this))
    , check_recursive(new QCheckBox(QStringLiteral("Inclure les sous-dossiers"), this))
    , btc_annuler(new QPushButton(QStringLiteral("Annuler"), this)) {
    setObjectName(QStringLiteral("frm_directory"));
    setFont(platform::classicFont());
    setWindowIcon(QIcon(QStringLiteral(":/kadrilo/dossier.png")));
    platform::fixAndCentre(*this, 11130, 6450);

    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twipsRect(120, 360, 5775, 315));
    for (const QString &root : browsableRoots())
        Drive1->addItem(QDir::toNativeSeparators(root), root);

    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setReadOnly(true);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(120, 960, 5775, 3240));
    Dir1->setModel(m_folderView);
    for (int column = 1; column < m_folderView->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->setHeaderHidden(true);
    Dir1->setExpandsOnDoubleClick(false);
    Dir1->setUniformRowHeights(true);

    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twipsRect(6240, 120, 4575, 6135));
    File1->setEnabled(false);

    btc_scan->setObjectName(QStringLiteral("btc_scan"));
    btc_scan->setGeometry(twipsRect(240, 5640, 2055, 375));
    check_recursive->setObjectName(QStringLiteral("check_recursive"));
    check_recursive->setGeometry(twipsRect(120, 4320, 4575, 495));
    check_recursive->setFont(platform::classicFont(true));
    btc_annuler->setObjectName(QStringLiteral("btc_annuler"));
    btc_annuler->setGeometry(twipsRect(2640, 5640, 2175, 375));

    // No default button, not even one that a dialog picks by itself when it opens (it takes
    // the first auto-default button): Enter acts only on the focused button (keyPressEvent).
    for (QPushButton *button : {static_cast<QPushButton *>(btc_scan), btc_annuler}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, btc_scan);
    setTabOrder(btc_scan, check_recursive);
    setTabOrder(check_recursive, btc_annuler);

    // Folders load in the background and rows arrive above the opened folder for a while:
    // keep it in view until the person scrolls or clicks the tree.
    m_reveal->setSingleShot(true);
    m_reveal->setInterval(50);
    connect(m_reveal, &QTimer::timeout, this, [this] {
        Dir1->scrollTo(m_folderView->indexOf(m_dirPath), QAbstractItemView::PositionAtCenter);
    });
    const auto revealAgain = [this] {
        if (m_keepRevealing)
            m_reveal->start();
    };
    connect(m_folderView, &QAbstractItemModel::rowsInserted, this, revealAgain);
    connect(m_folderView, &QAbstractItemModel::layoutChanged, this, revealAgain);
    connect(Dir1->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_keepRevealing = false; });
    connect(Dir1, &QTreeView::pressed, this, [this] { m_keepRevealing = false; });
    connect(Drive1, &QComboBox::activated, this, &frm_directory::Drive1_Change);
    connect(Dir1, &QTreeView::doubleClicked, this,
            [this](const QModelIndex &index) { setDirPath(m_folderView->pathAt(index)); });
    connect(btc_scan, &MouseReleaseButton::mouseReleased, this, &frm_directory::btc_scan_MouseUp);
    connect(btc_annuler, &QPushButton::clicked, this, &frm_directory::btc_annuler_Click);

    // The lists start on the process's current drive and folder.
    setDirPath(QDir::currentPath());

    Form_Load();
}

frm_directory::~frm_directory() = default;

QStringList frm_directory::browsableRoots() {
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives())
        roots << drive.absoluteFilePath();
#else
    roots << QStringLiteral("/");
    const QString home = cleanFolder(QDir::homePath());
    if (home != QLatin1String("/"))
        roots << home;
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QDir::home().dirName();
    const QString userMedia = QStringLiteral("/run/media/") + user + QLatin1Char('/');
    QStringList media;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString path = volume.rootPath();
        if (path.startsWith(QLatin1String("/media/")) || path.startsWith(userMedia) ||
            path.startsWith(QLatin1String("/mnt/")))
            media << path;
    }
    if (QFileInfo(QStringLiteral("/mnt")).isDir())
        media << QStringLiteral("/mnt");
    media.sort();
    roots << media;
    roots.removeDuplicates();
#endif
    return roots;
}

QString frm_directory::rootOf(const QString &folder) const {
    QString best;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemData(i).toString();
        if (liesUnder(folder, root) && root.size() > best.size())
            best = root;
    }
    return best;
}

void frm_directory::Form_Load() {
    if (m_state.type_raw == QLatin1String("Canon"))
        m_filter = canonFilter();
    fillFileList();
    setWindowTitle(QStringLiteral("selectionner les fichiers à analyser..."));
}

QString frm_directory::currentFolder() const {
    if (m_undecodable && m_undecodable->reach() == platform::UndecodableFolder::Reach::Open)
        return m_undecodable->path();
    return QDir::toNativeSeparators(m_dirPath);
}

QString frm_directory::shownFolder() const {
    return m_undecodable ? m_undecodable->shownPath() : currentFolder();
}

void frm_directory::setDirPath(const QString &folder) {
    const QString path = cleanFolder(folder);
    if (path.isEmpty())
        return;
    // The tree stays on the chosen drive while the folder lies on it, so that the way back
    // up to that drive's root stays in the tree (home opened from "/" stays under "/").
    // A folder off the drive takes Drive1 to the innermost drive holding it.
    const QString drive = currentDrive();
    if (drive.isEmpty() || !liesUnder(path, drive)) {
        m_driveIndex = Drive1->findData(rootOf(path));
        Drive1->setCurrentIndex(m_driveIndex);
    }
    m_dirPath = path;
    m_undecodable.reset();
    if (platform::UndecodableFolder::needed(path))
        m_undecodable = std::make_unique<platform::UndecodableFolder>(path);
    const QString root = currentDrive();
    if (!root.isEmpty())
        m_folderOnDrive.insert(root, path);
    Dir1_Change();
}

QString frm_directory::currentDrive() const {
    return m_driveIndex < 0 ? QString() : Drive1->itemData(m_driveIndex).toString();
}

void frm_directory::Drive1_Change(int index) {
    const QString root = Drive1->itemData(index).toString();
    const QDir drive(root);
    if (!drive.exists() || !drive.isReadable()) {
        platform::showMessage(
            this,
            QStringLiteral("Le lecteur %1 ne peut pas être lu : aucun support n'y est "
                           "présent ou il a été déconnecté.\r\nLe lecteur précédent est "
                           "conservé.")
                .arg(QDir::toNativeSeparators(root)),
            QStringLiteral("Lecteur inaccessible"), platform::MessageIcon::Warning);
        Drive1->setCurrentIndex(m_driveIndex);
        return;
    }
    m_driveIndex = index;
    setDirPath(m_folderOnDrive.value(root, root));
}

void frm_directory::Dir1_Change() {
    // A folder under no drive (a network path on Windows) is its own root.
    const QString root = m_driveIndex < 0 ? m_dirPath : currentDrive();
    m_folders->setRootPath(root);
    m_folderView->setDrive(root);
    const QModelIndex treeRoot = m_folderView->treeRoot();
    Dir1->setRootIndex(treeRoot);
    m_folderView->setCurrentFolder(m_dirPath);

    // Open the tree from the drive's root down to the opened folder and show its sub-folders.
    const QModelIndex current = m_folderView->indexOf(m_dirPath);
    for (QModelIndex up = current; up.isValid() && up != treeRoot; up = up.parent())
        Dir1->expand(up);
    Dir1->setCurrentIndex(current);
    Dir1->scrollTo(current);
    m_keepRevealing = true;
    m_reveal->start();

    fillFileList();
}

void frm_directory::fillFileList() {
    File1->clear();
    File1->addItems(platform::platform().listFiles(currentFolder(), filterPatterns(m_filter)));
}

void frm_directory::keyPressEvent(QKeyEvent *event) {
    // The window has no cancel button: Escape leaves it open.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // Without a default button Enter presses the focused button only; "Go !" ignores it,
    // since only a mouse release over it starts a cycle.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            event->accept();
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

bool frm_directory::folderCanBeOpened() {
    if (!m_undecodable || m_undecodable->reach() == platform::UndecodableFolder::Reach::Open)
        return true;
    platform::showMessage(this, undecodableText(*m_undecodable),
                          QStringLiteral("Nom de dossier illisible"),
                          platform::MessageIcon::Warning);
    return false;
}

bool frm_directory::removePreviousTagFiles() {
    auto &system = platform::platform();
    // Hidden tag files too (".x.txt" of an image ".x.CR2"): the analysis reads them all.
    const QStringList locked =
        system.removeFiles(m_state.dossier_temp, QString::fromUtf16(platform::tagFileWildcard));
    if (locked.isEmpty())
        return true;

    // Old and new tag files must not be mixed: the analysis reads every one of them.
    constexpr int shown = 10;
    QString names = QStringList(locked.mid(0, shown)).join(QStringLiteral("\r\n"));
    if (locked.size() > shown)
        names += QStringLiteral("\r\n...");
    platform::showMessage(
        this,
        QStringLiteral("Les fichiers de l'analyse précédente n'ont pas pu être supprimés du "
                       "dossier %1 :\r\n%2\r\n\r\nFermez le programme qui les utilise ou "
                       "supprimez-les, puis relancez l'analyse.")
            .arg(QDir::toNativeSeparators(m_state.dossier_temp), names),
        QStringLiteral("Fichiers temporaires bloqués"), platform::MessageIcon::Warning);
    return false;
}

void frm_directory::btc_scan_MouseUp() {
    m_state.option_recursive = check_recursive->isChecked() ? 1 : 0;

    // Files may have been copied in or taken away since the folder was opened.
    fillFileList();
    if (!folderCanBeOpened())
        return;
    if (!check_recursive->isChecked() && File1->count() == 0) {
        platform::showMessage(this,
                              QStringLiteral("Il n'y a aucun fichier Raw dans le dossier "
                                             "selectionné !"),
                              QStringLiteral("Le dossier est vide !"),
                              platform::MessageIcon::Question);
        return;
    }

    // Two Kadrilo started from one program folder share its temp folder: one work cycle at a
    // time, or the second would delete the tag files the first is writing.
    platform::FolderLock cycle(m_state.dossier_temp);
    if (!cycle.tryLock()) {
        platform::showMessage(
            this,
            QStringLiteral("Une autre analyse est en cours avec le dossier temporaire :\r\n%1\r\n"
                           "Attendez qu'elle se termine, puis relancez celle-ci.")
                .arg(QDir::toNativeSeparators(m_state.dossier_temp)),
            QStringLiteral("Analyse en cours"), platform::MessageIcon::Information);
        return;
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!removePreviousTagFiles()) {
        platform::restoreDefaultPointer();
        return;
    }
    m_state.etape_travail = QStringLiteral("lectureraw");

    const auto ending = m_workWindow().showModal(*this);
    cycle.unlock();
    if (ending == frm_travail::Ending::Cancelled) {
        // Stopped by the person: no results to show; the window stays for another try.
        m_stats.reset();
        platform::restoreDefaultPointer();
        m_state.extraction_faite = false;
        return;
    }

    // What went wrong is told before the statistics, which show what could be read.
    const ExtractionResult &extraction = m_workWindow().lastExtraction();
    // ExifTool names the files of a folder reached through /proc by that path: the person
    // reads the folder's own name.
    const auto shown = [this](QString text) {
        return m_undecodable ? text.replace(currentFolder(), shownFolder()) : text;
    };
    const auto error = [this, shown](const QString &text) {
        platform::showMessage(this, shown(text), QStringLiteral(" Erreur"),
                              platform::MessageIcon::Critical);
    };
    const QString &device = extraction.ending.endlessDevice;
    switch (judgeRun(extraction)) {
    case RunVerdict::FailedToStart:
        error(failedToStartText(extraction, m_state.chemin_exiftool));
        break;
    case RunVerdict::Aborted:
        // Stopped while it read a device for ever: the entries that lead there are named.
        if (!device.isEmpty()) {
            error(endlessReadText(device, platform::entriesLeadingTo(currentFolder(),
                                                                     m_state.option_recursive == 1,
                                                                     device)));
            break;
        }
        error(abortedText(extraction));
        break;
    case RunVerdict::NotWritten:
        error(writeFailedText(extraction, m_state.dossier_temp));
        break;
    case RunVerdict::NoImage:
        platform::showMessage(this, noImageText(shownFolder(), platform::rawTypesText(false)),
                              QStringLiteral("Aucune image"), platform::MessageIcon::Information);
        break;
    case RunVerdict::NoTagFile:
        platform::showMessage(this, wording::noTagFileError(), QStringLiteral(" Erreur"),
                              platform::MessageIcon::Question);
        break;
    case RunVerdict::SomeUnread:
        platform::showMessage(this, shown(unreadImagesText(extraction)),
                              QStringLiteral("Lecture incomplète"), platform::MessageIcon::Warning,
                              shown(unreadImagesDetails(extraction)));
        break;
    case RunVerdict::Complete:
    case RunVerdict::Cancelled:
        break;
    }
    platform::restoreDefaultPointer();
    m_state.extraction_faite = false;
    showStatistics();
    hide();
}

ResultsView &frm_directory::statisticsWindow() {
    if (!m_stats)
        m_stats = std::make_unique<frm_stats>(this);
    return *m_stats;
}

void frm_directory::showStatistics() {
    statisticsWindow();
    m_stats->exec();
    m_stats.reset();
}

void frm_directory::btc_annuler_Click() {
    hide();
}

} // namespace kadrilo
