#pragma once

#include "analysis/results.h"
#include "analysis/tag_lines.h"
#include "report/report_options.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

namespace kadrilo::report {

// The most groups a report shows side by side: with more, the first 11 and one group
// "autres" that sums the rest.
inline constexpr int maxShownGroups = 12;

// One group of --par, every category counted over its images alone, so that its percentages
// count within the group.
struct ReportGroup {
    QString name;       // the body, lens or year; "inconnu" or "autres"
    int groupsHeld = 1; // the groups summed into "autres"; 1 for any other
    StatisticsResults results;
};

// The groups of a report in the order shown; none without --par.
struct ReportGroups {
    GroupBy by = GroupBy::None;
    QVector<ReportGroup> groups;
};

// The group of an image from its tag file: its first Model or LensID value (decoded as UTF-8;
// empty, or longer than the body and lens classes take, gives none), or the year of its first
// DateTimeOriginal. Empty without one: the image goes to the group "inconnu".
QString groupName(const ImageTags &tags, GroupBy by);

// Splits the images a report keeps into groups: bodies and lenses in the order in which they
// first occur, years ascending, "inconnu" last. Each group is counted as the whole report is,
// by countImage() over its images' tag lines in the order they were added.
class ImageGroups {
public:
    explicit ImageGroups(GroupBy by)
        : m_by(by) {}

    // Takes one image kept after the filters, its kept tag lines and what was read of them;
    // does nothing without --par.
    void add(const QByteArray &tagLines, const ImageTags &tags);
    // Counts every group; results as computeResults() gives them for the whole report.
    ReportGroups count(const QString &rawType, const QString &folder) const;

private:
    GroupBy m_by;
    QVector<QByteArray> m_images;
    QVector<int> m_groupOf;           // per image, its entry in m_names
    QVector<QString> m_names;         // in order of first occurrence; empty for "inconnu"
    QHash<QString, int> m_groupIndex; // name -> its entry in m_names
};

} // namespace kadrilo::report
