#pragma once

#include "analysis/tag_lines.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>

#include <array>
#include <map>

// The classes that only the report counts: focal length, also in 35 mm terms and per lens,
// exposure time, camera body, and the hour, month and year of the shot. The statistics window
// leaves them out (its "Vitesse" and "Focales" tabs carry a notice), and its analysis never
// looks at these lines.
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

// The whole millimetres of the 35 mm equivalent in a FocalLength35efl value: "55.0 mm (35 mm
// equivalent: 88.0 mm)" gives 88. -1 without an equivalent ("55.0 mm", which ExifTool prints
// when it knows no scale factor) or for 0 mm.
int focalLength35Class(QByteArrayView value);

// The margin in stops of the handheld limit: log2(exposure seconds x 35 mm equivalent
// millimetres), from an ExposureTime value ("1/250", "0.5", "30") and a FocalLength35efl value
// ("55.0 mm (35 mm equivalent: 88.0 mm)") as ExifTool prints them. NaN when either is missing,
// unreadable or zero: such an image has no class of shutter safety.
double shutterSafetyMargin(QByteArrayView exposureTime, QByteArrayView focalLength35efl);

// The margins within this many stops above a whole number take the faster class: ExifTool
// prints rounded values ("1/50" of a camera's 1/50.4), which must not push an image shot at
// the handheld limit into the class of one stop slower.
inline constexpr double shutterSafetyTolerance = 0.01;
inline constexpr int shutterSafetyClassCount = 5;

// The class of a margin: 0 at the handheld limit or faster (margin <= 0), then 1, 2 and 3
// stops slower (margin up to 1, 2, 3), 4 beyond; each bound with the tolerance. -1 for NaN.
int shutterSafetyClass(double margin);

// The French names of the five classes, in their order.
QString shutterSafetyClassName(int safetyClass);

// The day and hour of a DateTimeOriginal value as ExifTool prints it, "2023:07:14 18:30:05"
// (anything after the seconds is ignored). False for any other text and for a date or time
// that does not exist, such as the "0000:00:00 00:00:00" of a camera whose clock was not set.
bool shotDateTime(QByteArrayView value, QDate &day, int &hour);

// One class of a category that the report counts by value.
struct CountedValue {
    QString name;
    int count = 0;
};

// A lens with its photos and the focal lengths they were taken at ("24 mm" classes,
// ascending).
struct LensFocalLengths {
    QString lens;
    int count = 0;
    QVector<CountedValue> focalLengths;
};

// A lens with the images that have a class of shutter safety, and those classes, every one
// listed.
struct LensClasses {
    QString lens;
    int count = 0;
    QVector<CountedValue> classes;
};

// Counts the report's own classes over the tag files of one analysis. A tag counts at each of
// its lines, as the window's rules do; ExifTool prints each tag of an image once. Tags are
// recognised exactly by their name ("FocalLength: " and not "FocalLengthIn35mmFormat: ").
// Values longer than any real one (see maxShotValueBytes) are junk and count nowhere; so does
// an empty value.
class ShotCounts {
public:
    // Counts every class of one image from its counted lines: the classes of each line, then
    // the image's focal length under its lens (the first FocalLength and LensID lines).
    void countImage(const ImageTags &tags);
    // Counts the classes of one line without its end; a lens and a focal length on two lines
    // are only paired by countImage().
    void countLine(QByteArrayView line);

    // "55 mm" classes by ascending focal length.
    QVector<CountedValue> focalLengths() const;
    // "88 mm" classes of the 35 mm equivalent, ascending.
    QVector<CountedValue> focalLengths35() const;
    // Exposure times as printed, from the shortest to the longest; equal durations by text.
    QVector<CountedValue> exposureTimes() const;
    // Camera models in the order in which they first occur.
    const QVector<CountedValue> &models() const { return m_models; }
    // The 24 hours of the day, "0 h" to "23 h", and the 12 months, "janvier" to "décembre",
    // every class listed; the years ("2023") that occur, ascending.
    QVector<CountedValue> hours() const;
    QVector<CountedValue> months() const;
    QVector<CountedValue> years() const;
    // Every lens, in the order in which the lenses first occur, with the focal lengths of
    // its photos. The names follow the window's lens list: decoded as UTF-8 and compared
    // exactly, an empty name or one longer than maxLensNameBytes counts nowhere.
    QVector<LensFocalLengths> lensFocalLengths() const;
    // The classes of shutter safety, every class listed: images with both an exposure time
    // and a 35 mm equivalent, their first ExposureTime and FocalLength35efl lines.
    QVector<CountedValue> shutterSafety() const;
    // The lenses of lensFocalLengths() that have at least one such image, in the same order.
    QVector<LensClasses> lensShutterSafety() const;
    // The lenses after the first `shown` ones, and their photos: those a lens list of
    // `shown` slots leaves out.
    int lensesAfter(int shown) const;
    int lensPhotosAfter(int shown) const;

private:
    struct Lens {
        QString name;
        int count = 0;
        std::map<int, int> focalLengths;
        std::array<int, shutterSafetyClassCount> safety{};
    };
    // The entry of the lens named by `value` in m_lenses, added when new; -1 for no lens.
    int lensIndex(QByteArrayView value);
    // Counts a photo of that lens and returns its entry, as lensIndex().
    int countLens(QByteArrayView value);

    std::map<int, int> m_focalLengths;
    std::map<int, int> m_focalLengths35;
    QHash<QByteArray, int> m_exposureTimes;
    QVector<CountedValue> m_models;
    QHash<QByteArray, int> m_modelIndex; // bytes of a model -> its entry in m_models
    std::array<int, 24> m_hours{};
    std::array<int, 12> m_months{};
    std::map<int, int> m_years;
    std::array<int, shutterSafetyClassCount> m_safety{};
    QVector<Lens> m_lenses;
    QHash<QString, int> m_lensIndex; // lens name -> its entry in m_lenses
};

// Longest value taken for these three tags, in bytes.
inline constexpr qsizetype maxShotValueBytes = 1024;

// The first letters of FocalLength (and FocalLength35efl), ExposureTime, Model, LensID and
// DateTimeOriginal.
inline bool mayStartShotTag(char c) {
    return c == 'F' || c == 'E' || c == 'M' || c == 'L' || c == 'D';
}

} // namespace kadrilo
