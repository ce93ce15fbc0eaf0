#include "host_console.hpp"

extern "C" {
#include "common/menu_table.h"
#include "common/yuv.h"
}

namespace kessra::boot_host {

namespace {

// Places in the image: the header words and, inside the program image, the
// patched menu table and settings fields (see the program's memory map).
constexpr long HEADER_WORDS = 0x420;
constexpr std::uint32_t PROGRAM_TEXT_ADDRESS = 0x80003100;
constexpr std::uint32_t MENU_TABLE_ADDRESS = 0x801BF528;
constexpr std::uint32_t SKIN_DIGIT_ADDRESS = 0x801C1528;
constexpr std::uint32_t ZOOM_DIGIT_ADDRESS = 0x801C1530;
constexpr std::uint32_t DOL_HEADER_SIZE = 0x100;
constexpr std::uint32_t FILE_CAPACITY = 0x100000;
constexpr std::uint32_t FST_LIMIT = 0x100000;

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

} // namespace

int HostConsole::read(void* ctx, std::uint32_t offset, void* dst, std::uint32_t len) {
    std::FILE* f = static_cast<std::FILE*>(ctx);
    if (std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0) return -1;
    return std::fread(dst, 1, len, f) == len ? 0 : -1;
}

HostConsole::~HostConsole() {
    if (file_ != nullptr) std::fclose(file_);
}

bool HostConsole::open(const std::string& image_path, std::string& error) {
    file_ = std::fopen(image_path.c_str(), "rb");
    if (file_ == nullptr) {
        error = image_path + ": cannot open";
        return false;
    }
    std::uint8_t words[12];
    if (read(file_, HEADER_WORDS, words, sizeof words) != 0) {
        error = image_path + ": no header";
        return false;
    }
    const std::uint32_t program = be32(words), fst_offset = be32(words + 4), fst_size = be32(words + 8);
    if (fst_size > FST_LIMIT) {
        error = image_path + ": file system table too large";
        return false;
    }
    fst_.resize(fst_size);
    menu_table_.resize(BT_MENU_SLOT_COUNT * BT_MENU_SLOT_SIZE);
    std::uint8_t digits[2] = {0, 0};
    const auto at = [program](std::uint32_t address) {
        return program + DOL_HEADER_SIZE + (address - PROGRAM_TEXT_ADDRESS);
    };
    if (read(file_, fst_offset, fst_.data(), fst_size) != 0 ||
        read(file_, at(MENU_TABLE_ADDRESS), menu_table_.data(), static_cast<std::uint32_t>(menu_table_.size())) != 0 ||
        read(file_, at(SKIN_DIGIT_ADDRESS), &digits[0], 1) != 0 ||
        read(file_, at(ZOOM_DIGIT_ADDRESS), &digits[1], 1) != 0) {
        error = image_path + ": cannot read the table, menu or settings";
        return false;
    }
    file_buffer_.resize(FILE_CAPACITY);
    background_.assign(SCREEN_WIDTH * SCREEN_HEIGHT, 0);
    bt_app_env env{};
    env.read = read;
    env.read_ctx = file_;
    env.fst = fst_.data();
    env.fst_size = fst_size;
    env.menu_table = menu_table_.data();
    env.skin_digit = digits[0];
    env.zoom_digit = digits[1];
    env.file_buffer = file_buffer_.data();
    env.file_capacity = FILE_CAPACITY;
    env.background = {background_.data(), SCREEN_WIDTH, SCREEN_HEIGHT};
    bt_app_start(&app_, &env);
    return true;
}

std::vector<std::uint32_t> HostConsole::frame_rgb() {
    std::vector<std::uint32_t> pixels(SCREEN_WIDTH * SCREEN_HEIGHT);
    bt_canvas frame{pixels.data(), SCREEN_WIDTH, SCREEN_HEIGHT};
    bt_app_draw(&app_, &frame);
    return pixels;
}

std::vector<std::uint32_t> HostConsole::frame_displayed() {
    std::vector<std::uint32_t> pixels = frame_rgb();
    for (std::size_t i = 0; i + 1 < pixels.size(); i += 2)
        bt_rgb_from_yuv_pair(bt_yuv_pair(pixels[i], pixels[i + 1]), &pixels[i], &pixels[i + 1]);
    return pixels;
}

bool write_ppm(const std::string& path, const std::vector<std::uint32_t>& pixels, int width, int height) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fprintf(f, "P6\n%d %d\n255\n", width, height) > 0;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height && ok; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)];
            row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(p >> 16);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(p);
        }
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return std::fclose(f) == 0 && ok;
}

} // namespace kessra::boot_host
