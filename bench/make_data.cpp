// Writes GRIB-like data for the benchmark: a file of exactly the asked size
// made of records laid out like GRIB edition 2 messages. Each record begins
// with "GRIB", carries its length in its indicator section, has the usual
// identification, grid, product, representation and bitmap sections, holds a
// smooth 0.5-degree global field packed into 16-bit big-endian values with a
// little noise on top, and ends with "7777". Records are never parsed by the
// program under test; what matters is that the bytes compress like real
// gridded data.
//
//   gribjoin-bench-data OUTPUT BYTES SEED [NOISE]
//
// NOISE is the half-width, in packed units, of the uniform noise added to
// every value (default 6); more noise compresses worse.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr unsigned kColumns = 720; // 0.5 degree in longitude
constexpr unsigned kRows = 361;    // 0.5 degree in latitude, both poles
constexpr std::uint64_t kOverhead = 16 + 21 + 72 + 34 + 21 + 6 + 5 + 4;
constexpr std::uint64_t kNominalRecord = kOverhead + 2ULL * kColumns * kRows;
constexpr double kPi = 3.14159265358979323846;

class Record {
public:
    void Byte(unsigned value) { m_bytes.push_back(static_cast<unsigned char>(value)); }
    void Bytes(std::uint64_t value, int count) {
        for (int shift = 8 * (count - 1); shift >= 0; shift -= 8)
            Byte(static_cast<unsigned>((value >> shift) & 0xFF));
    }
    void Zeros(int count) { m_bytes.insert(m_bytes.end(), static_cast<std::size_t>(count), 0); }
    // Starts a section of `length` bytes: its length and its number.
    void Section(std::uint32_t length, unsigned number) {
        Bytes(length, 4);
        Byte(number);
    }
    std::vector<unsigned char>& bytes() { return m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
};

// A small, fast generator; the data only has to look noisy, and the same seed
// gives the same file.
class Noise {
public:
    Noise(std::uint64_t seed, unsigned halfWidth)
        : m_state(seed * 0x9E3779B97F4A7C15ULL + 1), m_width(2 * halfWidth + 1),
          m_half(static_cast<int>(halfWidth)) {}
    int Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        const std::uint64_t r = m_state * 0x2545F4914F6CDD1DULL;
        return static_cast<int>((r >> 32) % m_width) - m_half;
    }

private:
    std::uint64_t m_state;
    unsigned m_width;
    int m_half;
};

// One record whose data section holds `dataBytes` bytes: as many 16-bit
// values as fit, row after row, and a zero byte when the count is odd.
void MakeRecord(Record& record, std::uint64_t dataBytes, unsigned step, Noise& noise) {
    const std::uint64_t values = dataBytes / 2;
    const std::uint64_t total = kOverhead + dataBytes;
    record.bytes().clear();

    // Indicator: "GRIB", reserved, discipline 0 (meteorology), edition 2, length.
    record.Bytes(0x47524942, 4);
    record.Zeros(2);
    record.Byte(0);
    record.Byte(2);
    record.Bytes(total, 8);

    // Identification: originating centre missing, reference time of the run.
    record.Section(21, 1);
    record.Bytes(0xFFFF, 2);
    record.Bytes(0, 2);
    record.Byte(30);
    record.Byte(0);
    record.Byte(1);
    record.Bytes(2024, 2);
    record.Byte(1);
    record.Byte(1 + step / 24 % 28);
    record.Byte(step % 24);
    record.Byte(0);
    record.Byte(0);
    record.Byte(0);
    record.Byte(1);

    // Grid definition, template 3.0: a regular latitude/longitude grid.
    record.Section(72, 3);
    record.Byte(0);
    record.Bytes(values, 4);
    record.Byte(0);
    record.Byte(0);
    record.Bytes(0, 2);
    record.Byte(6); // shape of the earth
    record.Zeros(15);
    record.Bytes(kColumns, 4);
    record.Bytes((values + kColumns - 1) / kColumns, 4);
    record.Bytes(0, 4);
    record.Bytes(0xFFFFFFFF, 4);
    record.Bytes(90000000, 4); // first latitude, micro-degrees
    record.Bytes(0, 4);        // first longitude
    record.Byte(48);
    record.Bytes(0x80000000 | 90000000, 4); // last latitude, south
    record.Bytes(359500000, 4);             // last longitude
    record.Bytes(500000, 4);
    record.Bytes(500000, 4);
    record.Byte(0);

    // Product definition, template 4.0: temperature at a forecast step.
    record.Section(34, 4);
    record.Bytes(0, 2);
    record.Bytes(0, 2);
    record.Byte(0); // category: temperature
    record.Byte(0); // number: temperature
    record.Byte(2);
    record.Byte(0);
    record.Byte(0);
    record.Bytes(0, 2);
    record.Byte(0);
    record.Byte(1);
    record.Bytes(step, 4);
    record.Byte(103); // height above ground
    record.Byte(0);
    record.Bytes(2, 4);
    record.Byte(255);
    record.Byte(0);
    record.Bytes(0, 4);

    // Data representation, template 5.0: simple packing into 16 bits with
    // a reference of 180 K and a precision of 0.01 K.
    record.Section(21, 5);
    record.Bytes(values, 4);
    record.Bytes(0, 2);
    record.Bytes(0x43340000, 4); // 180.0f
    record.Bytes(0, 2);
    record.Bytes(2, 2);
    record.Byte(16);
    record.Byte(0);

    // No bitmap.
    record.Section(6, 6);
    record.Byte(255);

    // Data: a smooth field built from separable terms, so each value costs
    // a few multiplications, moving a little from one step to the next.
    record.Section(static_cast<std::uint32_t>(5 + dataBytes), 7);
    const double phase = 0.3 * step;
    std::vector<double> wave(kColumns), ripple(kColumns);
    for (unsigned i = 0; i < kColumns; ++i) {
        const double lon = i * 0.5 * kPi / 180.0;
        wave[i] = 800.0 * std::sin(3.0 * lon + phase);
        ripple[i] = 350.0 * std::cos(7.0 * lon - 0.4 * phase);
    }
    std::uint64_t written = 0;
    for (unsigned row = 0; written < values; ++row) {
        const double lat = (90.0 - 0.5 * (row % kRows)) * kPi / 180.0;
        const double base = 7000.0 + 4000.0 * std::cos(lat);
        const double waveWeight = std::cos(2.0 * lat);
        const double rippleWeight = std::sin(5.0 * lat + 0.6 * phase);
        for (unsigned i = 0; i < kColumns && written < values; ++i, ++written) {
            const double value = base + wave[i] * waveWeight + ripple[i] * rippleWeight;
            long packed = std::lround(value) + noise.Next();
            packed = packed < 0 ? 0 : (packed > 0xFFFF ? 0xFFFF : packed);
            record.Bytes(static_cast<std::uint64_t>(packed), 2);
        }
    }
    if (dataBytes % 2 != 0)
        record.Byte(0);

    record.Bytes(0x37373737, 4);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: gribjoin-bench-data OUTPUT BYTES SEED [NOISE]\n");
        return 64;
    }
    const std::string output = argv[1];
    const std::uint64_t bytes = std::strtoull(argv[2], nullptr, 10);
    const std::uint64_t seed = std::strtoull(argv[3], nullptr, 10);
    const unsigned noiseHalfWidth =
        argc == 5 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 6;
    if (bytes < kOverhead + 2) {
        std::fprintf(stderr, "gribjoin-bench-data: at least %llu bytes, please\n",
                     static_cast<unsigned long long>(kOverhead + 2));
        return 64;
    }

    std::FILE* file = std::fopen(output.c_str(), "wb");
    if (file == nullptr) {
        std::perror(output.c_str());
        return 1;
    }
    // Full records, then one last record that takes whatever is left (up to
    // twice the usual size), so the file has exactly the size asked for.
    const std::uint64_t records = bytes < kNominalRecord ? 1 : bytes / kNominalRecord;
    Noise noise(seed, noiseHalfWidth);
    Record record;
    std::uint64_t left = bytes;
    for (std::uint64_t r = 0; r < records; ++r) {
        const std::uint64_t size = r + 1 < records ? kNominalRecord : left;
        MakeRecord(record, size - kOverhead, static_cast<unsigned>(seed * 1000 + r), noise);
        if (std::fwrite(record.bytes().data(), 1, record.bytes().size(), file) !=
            record.bytes().size()) {
            std::perror(output.c_str());
            std::fclose(file);
            return 1;
        }
        left -= size;
    }
    if (std::fclose(file) != 0) {
        std::perror(output.c_str());
        return 1;
    }
    return 0;
}
