#include "analysis/shot_classes.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace kadrilo {

namespace {

// The value of a line "<tag>: <value>" when the line carries exactly that tag.
bool tagValue(QByteArrayView line, const char *tag, QByteArrayView &value) {
    const auto length = qsizetype(std::strlen(tag));
    if (line.size() < length + 2 || std::memcmp(line.data(), tag, size_t(length)) != 0 ||
        line[length] != ':' || line[length + 1] != ' ')
        return false;
    value = line.sliced(length + 2);
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A plain decimal number, "." as the point whatever the locale; false for anything else.
bool decimalNumber(QByteArrayView text, double &number) {
    if (text.isEmpty() || !(isDigit(text.front()) || text.front() == '.'))
        return false;
    bool ok = false;
    number = QByteArray(text.data(), text.size()).toDouble(&ok);
    return ok;
}

} // namespace

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

void ShotCounts::countLine(QByteArrayView line) {
    QByteArrayView value;
    if (line.isEmpty() || !mayStartShotTag(line.front()))
        return;
    if (tagValue(line, "FocalLength", value)) {
        const int millimetres = focalLengthClass(value);
        if (millimetres > 0)
            ++m_focalLengths[millimetres];
        return;
    }
    const bool exposure = tagValue(line, "ExposureTime", value);
    if (!exposure && !tagValue(line, "Model", value))
        return;
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
    QVector<CountedValue> classes;
    for (const auto &[millimetres, count] : m_focalLengths)
        classes.append({QString::number(millimetres) + QStringLiteral(" mm"), count});
    return classes;
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
