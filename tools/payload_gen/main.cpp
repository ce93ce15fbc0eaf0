// payload_gen: writes the fixed blobs that the tool embeds, and optionally
// PNG previews of the skins and the banner.
//
//   payload_gen --blobs DIR      the skins and the banner, under their disc file names
//   payload_gen --previews DIR   skin0.png .. skin3.png and banner.png, as the
//                                console shows them (encoded and decoded back)
//
// The output depends on nothing but this program: the same bytes every run.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "payload_gen/blob_builders.hpp"
#include "payload_gen/scenes.hpp"
#include "format/payload_layout.hpp"
#include "texture/png_file.hpp"

namespace {

namespace fs = std::filesystem;
using namespace kessra::payload_gen;

bool write_file(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::fprintf(stderr, "payload_gen: cannot write %s\n", path.string().c_str());
    return static_cast<bool>(out);
}

bool write_blobs(const fs::path& dir) {
    fs::create_directories(dir);
    bool ok = true;
    for (const NamedBlob& blob : build_all_blobs()) ok = write_file(dir / blob.file_name, blob.bytes) && ok;
    return ok;
}

// What the console shows: each picture encoded in its texture format and
// decoded back.
bool write_previews(const fs::path& dir) {
    using namespace kessra::texture;
    fs::create_directories(dir);
    bool ok = true;
    for (int i = 0; i < kessra::SKIN_COUNT; ++i) {
        const Picture skin = draw_skin(i);
        const Picture shown = i == 0 ? decode_cmpr(encode_cmpr(skin), skin.width, skin.height)
                                     : decode_rgb565(encode_rgb565(skin), skin.width, skin.height);
        ok = write_file(dir / ("skin" + std::to_string(i) + ".png"), encode_png(shown, false)) && ok;
    }
    const Picture banner = draw_banner();
    const Picture shown = decode_rgb5a3(encode_rgb5a3(banner), banner.width, banner.height);
    return write_file(dir / "banner.png", encode_png(shown, true)) && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: payload_gen [--blobs DIR] [--previews DIR]\n");
        return 2;
    }
    try {
        bool ok = true;
        for (int i = 1; i + 1 < argc; i += 2) {
            const std::string_view option = argv[i];
            if (option == "--blobs") {
                ok = write_blobs(argv[i + 1]) && ok;
            } else if (option == "--previews") {
                ok = write_previews(argv[i + 1]) && ok;
            } else {
                std::fprintf(stderr, "payload_gen: unknown option %s\n", argv[i]);
                return 2;
            }
        }
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "payload_gen: %s\n", e.what());
        return 1;
    }
}
