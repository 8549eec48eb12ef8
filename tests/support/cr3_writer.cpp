#include "support/cr3_writer.h"

#include "support/raw_tiff.h"

namespace kadrilo::test {

namespace {

void putBig32(QByteArray &b, quint32 v) {
    b.append(char(v >> 24));
    b.append(char((v >> 16) & 0xff));
    b.append(char((v >> 8) & 0xff));
    b.append(char(v & 0xff));
}

// An ISO base media box: 32-bit big-endian size (header included), four-letter type, payload.
QByteArray box(const char (&type)[5], const QByteArray &payload) {
    QByteArray b;
    putBig32(b, quint32(8 + payload.size()));
    b.append(type, 4);
    return b + payload;
}

} // namespace

QByteArray cr3Bytes(const Cr2Fixture &f) {
    constexpr int kRecordModeCr3 = 12;
    // Canon's metadata box; ExifTool names the file CR3 only from the "CanonCR3" that starts
    // the compressor version (CNCV): the "crx " brand alone gives FileType "CRX".
    static const QByteArray canonUuid = QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48");

    QByteArray brands("crx ", 4);
    putBig32(brands, 1); // minor version
    brands.append("crx isom", 8);

    const QByteArray canon =
        canonUuid + box("CNCV", QByteArrayLiteral("CanonCR3_001/00.09.00/00.00.00")) +
        box("CMT1", tiff::tiffBytes(tiff::ifd0Entries(f))) +
        box("CMT2", tiff::tiffBytes(tiff::exifEntries(f))) +
        box("CMT3", tiff::tiffBytes(tiff::makerNoteEntries(f, kRecordModeCr3)));
    return box("ftyp", brands) + box("moov", box("uuid", canon));
}

bool writeCr3(const QString &path, const Cr2Fixture &f) {
    return tiff::writeFile(path, cr3Bytes(f));
}

} // namespace kadrilo::test
