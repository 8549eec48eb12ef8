#include "report/report_groups.h"

#include "analysis/shot_classes.h"
#include "analysis/tag_rules.h"

#include <algorithm>
#include <numeric>

namespace kadrilo::report {

QString groupName(const ImageTags &tags, GroupBy by) {
    switch (by) {
    case GroupBy::None:
        break;
    case GroupBy::Body:
    case GroupBy::Lens: {
        const bool body = by == GroupBy::Body;
        const qsizetype longest = body ? maxShotValueBytes : maxLensNameBytes;
        const QByteArrayView value = body ? tags.model : tags.lensId;
        if (!value.isEmpty() && value.size() <= longest)
            return QString::fromUtf8(value);
        break;
    }
    case GroupBy::Year: {
        QDate day;
        int hour = 0;
        if (shotDateTime(tags.dateTimeOriginal, day, hour))
            return QString::number(day.year());
        break;
    }
    }
    return {};
}

void ImageGroups::add(const QByteArray &tagLines, const ImageTags &tags) {
    if (m_by == GroupBy::None)
        return;
    const QString name = groupName(tags, m_by);
    auto known = m_groupIndex.constFind(name);
    if (known == m_groupIndex.constEnd()) {
        known = m_groupIndex.insert(name, int(m_names.size()));
        m_names.append(name);
    }
    m_images.append(tagLines);
    m_groupOf.append(*known);
}

ReportGroups ImageGroups::count(const QString &rawType, const QString &folder) const {
    ReportGroups grouped;
    grouped.by = m_by;
    // The shown place of every group: years ascending, "inconnu" last.
    QVector<int> order(m_names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const QString &first = m_names[a];
        const QString &second = m_names[b];
        if (first.isEmpty() || second.isEmpty())
            return second.isEmpty() && !first.isEmpty();
        return m_by == GroupBy::Year && first.toInt() < second.toInt();
    });
    const bool summed = order.size() > maxShownGroups;
    const int shown = summed ? maxShownGroups : int(order.size());
    QVector<int> placeOf(m_names.size());
    for (int place = 0; place < order.size(); ++place)
        placeOf[order[place]] = std::min(place, shown - 1);

    QVector<statistiques_exif> stats(shown);
    QVector<ShotCounts> shots(shown);
    for (qsizetype i = 0; i < m_images.size(); ++i) {
        const int place = placeOf[m_groupOf[i]];
        ++stats[place].nb_fichiers;
        countImage(readImageTags(m_images[i]), stats[place], shots[place]);
    }
    for (int place = 0; place < shown; ++place) {
        ReportGroup group;
        const QString &name = m_names[order[place]];
        group.name = name.isEmpty() ? QStringLiteral("inconnu") : name;
        if (summed && place == shown - 1) {
            group.name = QStringLiteral("autres");
            group.groupsHeld = int(order.size()) - place;
        }
        group.results = computeResults(stats[place], rawType, folder, &shots[place]);
        grouped.groups.append(group);
    }
    return grouped;
}

} // namespace kadrilo::report
