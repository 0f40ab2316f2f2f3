#include "gui/BoldOutlines.h"

#include <QtEndian>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// A cursor over a face's bytes that reads big-endian numbers; past the end it reads zeros and
// stays failed.
class Reader {
public:
    Reader(const QByteArray& bytes, qsizetype start, qsizetype end)
        : bytes_(bytes), at_(start), end_(std::min(end, bytes.size())) {
        ok_ = start >= 0 && start <= end_;
    }
    quint8 U8() { return Take(1) ? quint8(bytes_[at_ - 1]) : 0; }
    quint16 U16() { return Take(2) ? qFromBigEndian<quint16>(bytes_.constData() + at_ - 2) : 0; }
    qint16 S16() { return qint16(U16()); }
    quint32 U32() { return Take(4) ? qFromBigEndian<quint32>(bytes_.constData() + at_ - 4) : 0; }
    void Skip(qsizetype count) { Take(count); }
    bool Ok() const { return ok_; }

private:
    bool Take(qsizetype count) {
        ok_ = ok_ && count >= 0 && at_ + count <= end_;
        if (ok_) at_ += count;
        return ok_;
    }

    const QByteArray& bytes_;
    qsizetype at_;
    qsizetype end_;
    bool ok_;
};

void PutU16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToBigEndian(value, bytes);
    out.append(bytes, 2);
}

void PutU32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void PadToFour(QByteArray& out) {
    while (out.size() % 4) out.append('\0');
}

struct Table {
    quint32 tag;
    QByteArray bytes;
};

constexpr quint32 Tag(const char (&name)[5]) {
    return quint32(quint8(name[0])) << 24 | quint32(quint8(name[1])) << 16 |
           quint32(quint8(name[2])) << 8 | quint32(quint8(name[3]));
}

const Table* Find(const std::vector<Table>& tables, quint32 tag) {
    for (const Table& table : tables)
        if (table.tag == tag) return &table;
    return nullptr;
}

struct Point {
    double x, y;
    bool onCurve;
};

// A glyph drawn with its own contours (not made of other glyphs).
struct SimpleGlyph {
    std::vector<quint16> contourEnds;  // the index of each contour's last point
    std::vector<Point> points;
    bool overlap = false;  // the flag that says contours overlap, kept as it was
};

// One coordinate of every point, from the deltas that the flags announce.
bool ReadCoordinates(Reader& in, const std::vector<quint8>& flags, quint8 shortBit, quint8 sameBit,
                     std::vector<double>& values) {
    int value = 0;
    for (quint8 flag : flags) {
        if (flag & shortBit)
            value += (flag & sameBit) ? in.U8() : -in.U8();
        else if (!(flag & sameBit))
            value += in.S16();
        values.push_back(value);
    }
    return in.Ok();
}

std::optional<SimpleGlyph> DecodeSimple(const QByteArray& glyph) {
    Reader in(glyph, 0, glyph.size());
    const int contours = in.S16();
    in.Skip(8);  // the bounding box, computed again
    SimpleGlyph decoded;
    for (int k = 0; k < contours; ++k) {
        decoded.contourEnds.push_back(in.U16());
        if (k > 0 && decoded.contourEnds[k] <= decoded.contourEnds[k - 1]) return std::nullopt;
    }
    in.Skip(in.U16());  // the hinting instructions, dropped
    if (!in.Ok() || contours <= 0) return std::nullopt;
    const int count = decoded.contourEnds.back() + 1;
    std::vector<quint8> flags;
    while (in.Ok() && int(flags.size()) < count) {
        const quint8 flag = in.U8();
        const int repeats = (flag & 0x08) ? in.U8() : 0;
        for (int r = 0; r <= repeats && int(flags.size()) < count; ++r) flags.push_back(flag);
    }
    std::vector<double> xs, ys;
    if (!ReadCoordinates(in, flags, 0x02, 0x10, xs) || !ReadCoordinates(in, flags, 0x04, 0x20, ys))
        return std::nullopt;
    decoded.overlap = flags.front() & 0x40;
    for (int k = 0; k < count; ++k) decoded.points.push_back({xs[k], ys[k], bool(flags[k] & 1)});
    return decoded;
}

// Each point moves out along the bisector of the normals of its two edges, by as much as keeps
// both edges at half the strength from where they were; a hairpin turn does not move, and no
// point moves further than its shorter edge is long, so that small curves do not fold over.
void Thicken(SimpleGlyph& glyph, double strength) {
    double area = 0;  // twice the signed area: negative for TrueType's clockwise outer contours
    std::size_t first = 0;
    for (quint16 end : glyph.contourEnds) {
        for (std::size_t k = first; k <= end; ++k) {
            const Point& a = glyph.points[k];
            const Point& b = glyph.points[k == end ? first : k + 1];
            area += a.x * b.y - b.x * a.y;
        }
        first = end + 1u;
    }
    const double outward = area < 0 ? 1 : -1;
    const double half = strength / 2;
    const std::vector<Point> before = glyph.points;
    first = 0;
    for (quint16 end : glyph.contourEnds) {
        const std::ptrdiff_t size = end + 1 - std::ptrdiff_t(first);
        const auto at = [&](std::size_t k, std::ptrdiff_t step) -> const Point& {
            const std::ptrdiff_t index = (std::ptrdiff_t(k - first) + step) % size;
            return before[first + std::size_t(index < 0 ? index + size : index)];
        };
        for (std::size_t k = first; k <= end && size > 2; ++k) {
            const Point& point = before[k];
            // The nearest neighbours that are not on the point itself.
            std::ptrdiff_t back = -1, ahead = 1;
            while (-back < size && at(k, back).x == point.x && at(k, back).y == point.y) --back;
            while (ahead < size && at(k, ahead).x == point.x && at(k, ahead).y == point.y) ++ahead;
            const Point& previous = at(k, back);
            const Point& next = at(k, ahead);
            const double inX = point.x - previous.x, inY = point.y - previous.y;
            const double outX = next.x - point.x, outY = next.y - point.y;
            const double inLength = std::hypot(inX, inY), outLength = std::hypot(outX, outY);
            if (inLength == 0 || outLength == 0) continue;
            const double ix = inX / inLength, iy = inY / inLength;
            const double ox = outX / outLength, oy = outY / outLength;
            const double cosine = ix * ox + iy * oy;
            if (cosine <= -0.9375) continue;
            const double sine = std::abs(ix * oy - iy * ox);
            const double shorter = std::min(inLength, outLength);
            const double scale =
                half * sine <= shorter * (1 + cosine) ? half / (1 + cosine) : shorter / sine;
            glyph.points[k].x += outward * (-iy - oy) * scale;
            glyph.points[k].y += outward * (ix + ox) * scale;
        }
        first = end + 1u;
    }
    // The strokes grew both ways: moved back by half, the glyph keeps its baseline and its left
    // side bearing.
    for (Point& point : glyph.points) {
        point.x = std::round(point.x + half);
        point.y = std::round(point.y + half);
    }
}

void PutCoordinate(int delta, quint8 shortBit, quint8 sameBit, quint8& flag, QByteArray& bytes) {
    if (delta == 0) {
        flag |= sameBit;
    } else if (std::abs(delta) <= 255) {
        flag |= shortBit | (delta > 0 ? sameBit : 0);
        bytes.append(char(std::abs(delta)));
    } else {
        PutU16(bytes, quint16(qint16(delta)));
    }
}

QByteArray EncodeSimple(const SimpleGlyph& glyph) {
    int xMin = INT_MAX, yMin = INT_MAX, xMax = INT_MIN, yMax = INT_MIN;
    QByteArray flags, xs, ys;
    int lastX = 0, lastY = 0;
    for (std::size_t k = 0; k < glyph.points.size(); ++k) {
        const int x = int(glyph.points[k].x), y = int(glyph.points[k].y);
        xMin = std::min(xMin, x), xMax = std::max(xMax, x);
        yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        quint8 flag = glyph.points[k].onCurve ? 0x01 : 0x00;
        if (k == 0 && glyph.overlap) flag |= 0x40;
        PutCoordinate(x - lastX, 0x02, 0x10, flag, xs);
        PutCoordinate(y - lastY, 0x04, 0x20, flag, ys);
        flags.append(char(flag));
        lastX = x, lastY = y;
    }
    QByteArray out;
    PutU16(out, quint16(glyph.contourEnds.size()));
    for (int bound : {xMin, yMin, xMax, yMax}) PutU16(out, quint16(qint16(bound)));
    for (quint16 end : glyph.contourEnds) PutU16(out, end);
    PutU16(out, 0);  // no instructions
    return out + flags + xs + ys;
}

quint32 Checksum(const QByteArray& bytes) {
    QByteArray padded = bytes;
    PadToFour(padded);
    quint32 sum = 0;
    for (qsizetype k = 0; k < padded.size(); k += 4)
        sum += qFromBigEndian<quint32>(padded.constData() + k);
    return sum;
}

std::optional<std::vector<Table>> ReadTables(const QByteArray& face) {
    Reader in(face, 0, face.size());
    in.Skip(4);
    const int count = in.U16();
    in.Skip(6);
    std::vector<Table> tables;
    for (int k = 0; k < count && in.Ok(); ++k) {
        const quint32 tag = in.U32();
        in.Skip(4);
        const quint32 offset = in.U32(), length = in.U32();
        if (offset > quint32(face.size()) || length > quint32(face.size()) - offset)
            return std::nullopt;
        tables.push_back({tag, face.mid(offset, length)});
    }
    if (!in.Ok()) return std::nullopt;
    return tables;
}

// The glyf and loca tables with every simple glyph thickened, the loca in its long form.
std::optional<std::pair<QByteArray, QByteArray>> ThickenedGlyphs(const std::vector<Table>& tables,
                                                                 double strength) {
    const Table* head = Find(tables, Tag("head"));
    const Table* maxp = Find(tables, Tag("maxp"));
    const Table* loca = Find(tables, Tag("loca"));
    const Table* glyf = Find(tables, Tag("glyf"));
    if (!head || !maxp || !loca || !glyf || head->bytes.size() < 54) return std::nullopt;
    Reader headIn(head->bytes, 18, head->bytes.size());
    const int unitsPerEm = headIn.U16();
    Reader formatIn(head->bytes, 50, head->bytes.size());
    const bool longOffsets = formatIn.S16() == 1;
    Reader glyphsIn(maxp->bytes, 4, maxp->bytes.size());
    const int glyphs = glyphsIn.U16();
    if (!headIn.Ok() || !formatIn.Ok() || !glyphsIn.Ok() || unitsPerEm == 0) return std::nullopt;

    Reader offsets(loca->bytes, 0, loca->bytes.size());
    const auto offset = [&] { return longOffsets ? offsets.U32() : quint32(offsets.U16()) * 2; };
    QByteArray newGlyf, newLoca;
    quint32 start = offset();
    for (int g = 0; g < glyphs; ++g) {
        const quint32 end = offset();
        if (!offsets.Ok() || end < start || end > quint32(glyf->bytes.size())) return std::nullopt;
        PutU32(newLoca, quint32(newGlyf.size()));
        const QByteArray glyph = glyf->bytes.mid(start, end - start);
        std::optional<SimpleGlyph> simple;
        if (glyph.size() >= 2 && qFromBigEndian<qint16>(glyph.constData()) > 0) {
            simple = DecodeSimple(glyph);
            if (!simple) return std::nullopt;
        }
        if (simple) {
            Thicken(*simple, strength * unitsPerEm);
            newGlyf += EncodeSimple(*simple);
        } else {
            newGlyf += glyph;  // empty, or made of other glyphs, which are thickened themselves
        }
        PadToFour(newGlyf);
        start = end;
    }
    PutU32(newLoca, quint32(newGlyf.size()));
    return std::make_pair(newGlyf, newLoca);
}

QByteArray Assemble(const QByteArray& face, const std::vector<Table>& tables) {
    QByteArray out = face.left(12);
    const qsizetype bodiesAt = 12 + 16 * qsizetype(tables.size());
    QByteArray bodies;
    qsizetype headAt = -1;
    for (const Table& table : tables) {
        if (table.tag == Tag("head")) headAt = bodiesAt + bodies.size();
        PutU32(out, table.tag);
        PutU32(out, Checksum(table.bytes));
        PutU32(out, quint32(bodiesAt + bodies.size()));
        PutU32(out, quint32(table.bytes.size()));
        bodies += table.bytes;
        PadToFour(bodies);
    }
    out += bodies;
    // The whole face sums to the magic number through the head's adjustment.
    qToBigEndian<quint32>(0xB1B0AFBAu - Checksum(out), out.data() + headAt + 8);
    return out;
}

}  // namespace

QByteArray ThickenedOutlines(const QByteArray& face, double strength) {
    std::optional<std::vector<Table>> tables = ReadTables(face);
    if (!tables) return face;
    const auto glyphs = ThickenedGlyphs(*tables, strength);
    if (!glyphs) return face;
    for (Table& table : *tables) {
        if (table.tag == Tag("glyf")) table.bytes = glyphs->first;
        if (table.tag == Tag("loca")) table.bytes = glyphs->second;
        if (table.tag == Tag("head")) {
            qToBigEndian<quint32>(0, table.bytes.data() + 8);   // adjusted once assembled
            qToBigEndian<quint16>(1, table.bytes.data() + 50);  // long loca offsets
        }
    }
    return Assemble(face, *tables);
}
