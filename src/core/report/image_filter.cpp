#include "report/image_filter.h"

#include "analysis/results.h"
#include "analysis/shot_classes.h"

namespace kadrilo::report {

namespace {

// True when `text` is asked for none, or the image's `tag` holds it, ignoring case (Unicode
// case folding).
bool holds(QByteArrayView tagLines, const char *tag, const QString &text) {
    if (text.isEmpty())
        return true;
    QByteArrayView value;
    return firstTagValue(tagLines, tag, value) &&
           QString::fromUtf8(value.data(), value.size()).contains(text, Qt::CaseInsensitive);
}

} // namespace

ImageFilter::ImageFilter(const ReportOptions &options)
    : m_lens(options.lens)
    , m_model(options.model)
    , m_since(options.since)
    , m_until(options.until) {}

bool ImageFilter::isActive() const {
    return !m_lens.isEmpty() || !m_model.isEmpty() || m_since.isValid() || m_until.isValid();
}

bool ImageFilter::keeps(QByteArrayView tagLines) const {
    if (!holds(tagLines, "LensID", m_lens) || !holds(tagLines, "Model", m_model))
        return false;
    if (!m_since.isValid() && !m_until.isValid())
        return true;
    QByteArrayView value;
    QDate day;
    int hour = 0;
    if (!firstTagValue(tagLines, "DateTimeOriginal", value) || !shotDateTime(value, day, hour))
        return false;
    return (!m_since.isValid() || day >= m_since) && (!m_until.isValid() || day <= m_until);
}

ReportSummary describeFilters(const ImageFilter &filter, int imagesBeforeFilter) {
    ReportSummary summary;
    summary.lensFilter = filter.lens();
    summary.modelFilter = filter.model();
    summary.sinceFilter = filter.since();
    summary.untilFilter = filter.until();
    summary.filesBeforeFilter = imagesBeforeFilter;
    return summary;
}

} // namespace kadrilo::report
