#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVector>

#include <map>

// The three classes that only the report counts: focal length, exposure time and camera body.
// The statistics window leaves them out (its "Vitesse" and "Focales" tabs carry a notice), and
// its analysis never looks at these lines.
namespace kadrilo {

// The whole millimetres of a FocalLength value as ExifTool prints it ("55.0 mm"): the whole
// part of the leading number, so 17.5 mm is classed with 17 mm, as whole percentages are
// floored. -1 when the value does not begin with a number, or for 0 mm, which ExifTool prints
// when the camera did not record the focal length.
int focalLengthClass(QByteArrayView value);

// The duration in seconds of an ExposureTime value as ExifTool prints it: "1/250", "0.5",
// "30". Infinity when the text is neither a fraction nor a decimal number, so that such a
// value sorts after every real duration.
double exposureSeconds(QByteArrayView value);

// One class of a category that the report counts by value.
struct CountedValue {
    QString name;
    int count = 0;
};

// Counts the focal lengths, exposure times and camera models of the tag files of one
// analysis, one line at a time. Values longer than any real one (see maxShotValueBytes) are
// junk and count nowhere; so does an empty value.
class ShotCounts {
public:
    // Counts `line` when it is a FocalLength, ExposureTime or Model line, exactly by its tag
    // name ("FocalLength: " and not "FocalLengthIn35mmFormat: "); other lines are passed over.
    void countLine(QByteArrayView line);

    // "55 mm" classes by ascending focal length.
    QVector<CountedValue> focalLengths() const;
    // Exposure times as printed, from the shortest to the longest; equal durations by text.
    QVector<CountedValue> exposureTimes() const;
    // Camera models in the order in which they first occur.
    const QVector<CountedValue> &models() const { return m_models; }

private:
    std::map<int, int> m_focalLengths;
    QHash<QByteArray, int> m_exposureTimes;
    QVector<CountedValue> m_models;
    QHash<QByteArray, int> m_modelIndex; // bytes of a model -> its entry in m_models
};

// Longest value taken for these three tags, in bytes.
inline constexpr qsizetype maxShotValueBytes = 1024;

// The first letters of FocalLength, ExposureTime and Model.
inline bool mayStartShotTag(char c) {
    return c == 'F' || c == 'E' || c == 'M';
}

} // namespace kadrilo
