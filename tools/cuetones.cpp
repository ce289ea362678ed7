// Writes the program's own start and stop cues: short sine tones as 16-bit mono wave files.
//   cuetones <out-dir>   writes <out-dir>/Start.wav and <out-dir>/Stop.wav
// The files in resources/sounds were made with it; run it again only to change the tones.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int Rate = 22050;

struct Tone {
    double hz;
    double seconds;
};

void Put16(std::vector<unsigned char>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// Tones one after another with a short gap; each fades in and out over 5 ms so it does not
// click.
std::vector<std::int16_t> Samples(const std::vector<Tone>& tones, double gap) {
    std::vector<std::int16_t> s;
    const double pi = std::acos(-1.0);
    const int fade = Rate / 200;
    for (const Tone& t : tones) {
        const int n = int(t.seconds * Rate);
        for (int i = 0; i < n; ++i) {
            double a = 0.6;
            if (i < fade) a *= double(i) / fade;
            if (n - i < fade) a *= double(n - i) / fade;
            s.push_back(std::int16_t(std::lround(a * 32767 * std::sin(2 * pi * t.hz * i / Rate))));
        }
        s.insert(s.end(), std::size_t(gap * Rate), 0);
    }
    return s;
}

bool Write(const std::string& file, const std::vector<std::int16_t>& samples) {
    std::vector<unsigned char> b;
    const std::uint32_t data = std::uint32_t(samples.size() * 2);
    for (char c : std::string("RIFF"))
        b.push_back(c);
    Put32(b, 36 + data);
    for (char c : std::string("WAVEfmt "))
        b.push_back(c);
    Put32(b, 16);
    Put16(b, 1); // PCM
    Put16(b, 1); // mono
    Put32(b, Rate);
    Put32(b, Rate * 2);
    Put16(b, 2);
    Put16(b, 16);
    for (char c : std::string("data"))
        b.push_back(c);
    Put32(b, data);
    for (std::int16_t v : samples)
        Put16(b, std::uint16_t(v));
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}
} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    // Start: one clear tone. Stop: two short higher ones, told apart from the start at once.
    const bool ok = Write(dir + "/Start.wav", Samples({{880, 0.30}}, 0.0)) &&
                    Write(dir + "/Stop.wav", Samples({{1320, 0.09}, {1760, 0.12}}, 0.03));
    std::printf("%s\n", ok ? "wrote Start.wav and Stop.wav" : "could not write the cues");
    return ok ? 0 : 1;
}
