#include "analysis/shot_classes.h"

#include "analysis/tag_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace kadrilo {

namespace {

// A plain decimal number, "." as the point whatever the locale; false for anything else.
bool decimalNumber(QByteArrayView text, double &number) {
    if (text.isEmpty() || !(isDigit(text.front()) || text.front() == '.'))
        return false;
    bool ok = false;
    number = QByteArray(text.data(), text.size()).toDouble(&ok);
    return ok;
}

// The number written by `digits` digits at `at` in `text`; -1 when one is no digit.
int digitsAt(QByteArrayView text, qsizetype at, qsizetype digits) {
    int number = 0;
    for (qsizetype i = at; i < at + digits; ++i) {
        if (!isDigit(text[i]))
            return -1;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

const char *const monthNames[12] = {"janvier",   "février", "mars",     "avril",
                                    "mai",       "juin",    "juillet",  "août",
                                    "septembre", "octobre", "novembre", "décembre"};

// The text after "(35 mm equivalent: " in a FocalLength35efl value; null without it.
QByteArrayView equivalentText(QByteArrayView value) {
    static constexpr QByteArrayView marker("(35 mm equivalent: ");
    const qsizetype at = value.indexOf(marker);
    return at < 0 ? QByteArrayView() : value.sliced(at + marker.size());
}

QVector<CountedValue> safetyClasses(const std::array<int, shutterSafetyClassCount> &counts) {
    QVector<CountedValue> classes;
    for (int k = 0; k < shutterSafetyClassCount; ++k)
        classes.append({shutterSafetyClassName(k), counts[size_t(k)]});
    return classes;
}

QVector<CountedValue> millimetreClasses(const std::map<int, int> &counts) {
    QVector<CountedValue> classes;
    for (const auto &[millimetres, count] : counts)
        classes.append({QString::number(millimetres) + QStringLiteral(" mm"), count});
    return classes;
}

} // namespace

int focalLength35Class(QByteArrayView value) {
    const QByteArrayView equivalent = equivalentText(value);
    return equivalent.isNull() ? -1 : focalLengthClass(equivalent);
}

double shutterSafetyMargin(QByteArrayView exposureTime, QByteArrayView focalLength35efl) {
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    const double seconds = exposureSeconds(exposureTime);
    QByteArrayView equivalent = equivalentText(focalLength35efl);
    equivalent = equivalent.first(std::max<qsizetype>(0, equivalent.indexOf(' ')));
    double millimetres = 0;
    // A value longer than any real one is junk, as for the exposure times' own classes.
    if (exposureTime.size() > maxShotValueBytes || focalLength35efl.size() > maxShotValueBytes ||
        !std::isfinite(seconds) || seconds <= 0 || !decimalNumber(equivalent, millimetres) ||
        !std::isfinite(millimetres) || millimetres <= 0)
        return none;
    return std::log2(seconds * millimetres);
}

int shutterSafetyClass(double margin) {
    if (std::isnan(margin))
        return -1;
    if (margin <= shutterSafetyTolerance)
        return 0;
    const double stops = std::ceil(margin - shutterSafetyTolerance);
    return int(std::min(stops, double(shutterSafetyClassCount - 1)));
}

QString shutterSafetyClassName(int safetyClass) {
    static const char *const names[shutterSafetyClassCount] = {
        "à 1/focale ou plus rapide", "1 IL plus lent", "2 IL plus lent", "3 IL plus lent",
        "plus de 3 IL plus lent"};
    return QString::fromUtf8(names[std::clamp(safetyClass, 0, shutterSafetyClassCount - 1)]);
}

bool shotDateTime(QByteArrayView value, QDate &day, int &hour) {
    // "YYYY:MM:DD HH:MM:SS"
    if (value.size() < 19 || value[4] != ':' || value[7] != ':' || value[10] != ' ' ||
        value[13] != ':' || value[16] != ':')
        return false;
    const int year = digitsAt(value, 0, 4);
    const int month = digitsAt(value, 5, 2);
    const int date = digitsAt(value, 8, 2);
    const int h = digitsAt(value, 11, 2);
    const int minute = digitsAt(value, 14, 2);
    const int second = digitsAt(value, 17, 2);
    // A leap second (":60") is a real instant of the clock.
    if (year < 1 || h < 0 || h > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
        return false;
    const QDate parsed(year, month, date);
    if (!parsed.isValid())
        return false;
    day = parsed;
    hour = h;
    return true;
}

int focalLengthClass(QByteArrayView value) {
    // Nine digits hold every focal length; a longer run is junk, not a lens.
    constexpr qsizetype maxDigits = 9;
    qsizetype i = 0;
    int whole = 0;
    for (; i < value.size() && isDigit(value[i]); ++i) {
        if (i == maxDigits)
            return -1;
        whole = whole * 10 + (value[i] - '0');
    }
    if (i == 0 || whole == 0)
        return -1;
    return whole;
}

double exposureSeconds(QByteArrayView value) {
    constexpr double unreadable = std::numeric_limits<double>::infinity();
    const qsizetype slash = value.indexOf('/');
    double number = 0;
    if (slash < 0)
        return decimalNumber(value, number) ? number : unreadable;
    double denominator = 0;
    if (!decimalNumber(value.first(slash), number) ||
        !decimalNumber(value.sliced(slash + 1), denominator) || denominator <= 0)
        return unreadable;
    return number / denominator;
}

void ShotCounts::countImage(const ImageTags &tags) {
    int lens = -1;
    bool hasLens = false;
    QByteArrayView focalLength, equivalent, exposure;
    for (const QByteArrayView line : tags.countedLines) {
        if (line.front() == 'L') {
            const QByteArrayView value = tagValue(line, "LensID");
            if (!value.isNull()) {
                const int index = countLens(value);
                if (!hasLens)
                    lens = index;
                hasLens = true;
            }
            continue;
        }
        countLine(line);
        if (line.front() == 'F') {
            if (focalLength.isNull())
                focalLength = tagValue(line, "FocalLength");
            if (equivalent.isNull())
                equivalent = tagValue(line, "FocalLength35efl");
        } else if (exposure.isNull() && line.front() == 'E') {
            exposure = tagValue(line, "ExposureTime");
        }
    }
    const int millimetres = focalLength.isNull() ? -1 : focalLengthClass(focalLength);
    if (lens >= 0 && millimetres > 0)
        ++m_lenses[lens].focalLengths[millimetres];
    const int safety = exposure.isNull() || equivalent.isNull()
                           ? -1
                           : shutterSafetyClass(shutterSafetyMargin(exposure, equivalent));
    if (safety < 0)
        return;
    ++m_safety[size_t(safety)];
    if (lens >= 0)
        ++m_lenses[lens].safety[size_t(safety)];
}

int ShotCounts::countLens(QByteArrayView value) {
    const int index = lensIndex(value);
    if (index >= 0)
        ++m_lenses[index].count;
    return index;
}

int ShotCounts::lensIndex(QByteArrayView value) {
    if (value.isEmpty() || value.size() > maxLensNameBytes)
        return -1;
    // Decoded before the comparison, as the window's lens list does: invalid bytes decode to
    // replacement characters, so two such names may be one lens.
    const QString name = QString::fromUtf8(value);
    const auto known = m_lensIndex.constFind(name);
    if (known != m_lensIndex.constEnd())
        return *known;
    m_lensIndex.insert(name, int(m_lenses.size()));
    m_lenses.append({name, 0, {}, {}});
    return int(m_lenses.size()) - 1;
}

void ShotCounts::countLine(QByteArrayView line) {
    if (line.isEmpty() || !mayStartShotTag(line.front()))
        return;
    switch (line.front()) {
    case 'F':
        if (const QByteArrayView focal = tagValue(line, "FocalLength"); !focal.isNull()) {
            const int millimetres = focalLengthClass(focal);
            if (millimetres > 0)
                ++m_focalLengths[millimetres];
        } else if (const QByteArrayView equivalent = tagValue(line, "FocalLength35efl");
                   !equivalent.isNull()) {
            const int millimetres = focalLength35Class(equivalent);
            if (millimetres > 0)
                ++m_focalLengths35[millimetres];
        }
        return;
    case 'L':
        if (const QByteArrayView value = tagValue(line, "LensID"); !value.isNull())
            countLens(value);
        return;
    case 'D': {
        QDate day;
        int hour = 0;
        if (shotDateTime(tagValue(line, "DateTimeOriginal"), day, hour)) {
            ++m_hours[size_t(hour)];
            ++m_months[size_t(day.month() - 1)];
            ++m_years[day.year()];
        }
        return;
    }
    default:
        break;
    }
    QByteArrayView value = tagValue(line, "ExposureTime");
    const bool exposure = !value.isNull();
    if (!exposure)
        value = tagValue(line, "Model");
    if (value.isEmpty() || value.size() > maxShotValueBytes)
        return;
    const QByteArray bytes(value.data(), value.size());
    if (exposure) {
        ++m_exposureTimes[bytes];
        return;
    }
    const auto known = m_modelIndex.constFind(bytes);
    if (known != m_modelIndex.constEnd()) {
        ++m_models[*known].count;
        return;
    }
    m_modelIndex.insert(bytes, int(m_models.size()));
    // ExifTool writes UTF-8; invalid bytes decode the same way every time.
    m_models.append({QString::fromUtf8(bytes), 1});
}

QVector<CountedValue> ShotCounts::focalLengths() const {
    return millimetreClasses(m_focalLengths);
}

QVector<CountedValue> ShotCounts::focalLengths35() const {
    return millimetreClasses(m_focalLengths35);
}

QVector<CountedValue> ShotCounts::hours() const {
    QVector<CountedValue> classes;
    for (int hour = 0; hour < 24; ++hour)
        classes.append({QString::number(hour) + QStringLiteral(" h"), m_hours[size_t(hour)]});
    return classes;
}

QVector<CountedValue> ShotCounts::months() const {
    QVector<CountedValue> classes;
    for (int month = 0; month < 12; ++month)
        classes.append({QString::fromUtf8(monthNames[month]), m_months[size_t(month)]});
    return classes;
}

QVector<CountedValue> ShotCounts::years() const {
    QVector<CountedValue> classes;
    for (const auto &[year, count] : m_years)
        classes.append({QString::number(year), count});
    return classes;
}

QVector<LensFocalLengths> ShotCounts::lensFocalLengths() const {
    QVector<LensFocalLengths> lenses;
    lenses.reserve(m_lenses.size());
    for (const Lens &lens : m_lenses)
        lenses.append({lens.name, lens.count, millimetreClasses(lens.focalLengths)});
    return lenses;
}

QVector<CountedValue> ShotCounts::shutterSafety() const {
    return safetyClasses(m_safety);
}

QVector<LensClasses> ShotCounts::lensShutterSafety() const {
    QVector<LensClasses> lenses;
    for (const Lens &lens : m_lenses) {
        const int count = std::accumulate(lens.safety.begin(), lens.safety.end(), 0);
        if (count > 0)
            lenses.append({lens.name, count, safetyClasses(lens.safety)});
    }
    return lenses;
}

int ShotCounts::lensesAfter(int shown) const {
    return std::max(0, int(m_lenses.size()) - std::max(0, shown));
}

int ShotCounts::lensPhotosAfter(int shown) const {
    int photos = 0;
    for (qsizetype i = std::max(0, shown); i < m_lenses.size(); ++i)
        photos += m_lenses[i].count;
    return photos;
}

QVector<CountedValue> ShotCounts::exposureTimes() const {
    struct Timed {
        double seconds;
        QByteArray text;
        int count;
    };
    std::vector<Timed> timed;
    timed.reserve(size_t(m_exposureTimes.size()));
    for (auto it = m_exposureTimes.constBegin(); it != m_exposureTimes.constEnd(); ++it)
        timed.push_back({exposureSeconds(it.key()), it.key(), it.value()});
    std::sort(timed.begin(), timed.end(), [](const Timed &a, const Timed &b) {
        return a.seconds != b.seconds ? a.seconds < b.seconds : a.text < b.text;
    });
    QVector<CountedValue> classes;
    for (const Timed &t : timed)
        classes.append({QString::fromUtf8(t.text), t.count});
    return classes;
}

} // namespace kadrilo
