// skx_assetgen: writes every texture, model and sound of the game into a run directory.
// Usage: skx_assetgen <run-dir>. The output depends on nothing but this program and the font
// file, so two runs give the same bytes.
#include "assetgen.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

void AssetAddTexture(AssetList& assets, const char* name, const Image& image) {
    assets.push_back({std::string("texture/") + name + ".bmp", ImageEncodeBmp(image)});
}

bool AssetsBuildAll(AssetList& assets) {
    TexturesPlanetBuild(assets);
    TexturesSurfaceBuild(assets);
    TexturesFxBuild(assets);
    bool ok = TexturesUiBuild(assets);
    ok = FontBuildAtlases(assets) && ok;
    ok = ModelsBuild(assets) && ok;
    SoundsBuild(assets);
    return ok;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <run-dir>\n", argv[0]);
        return 2;
    }
    AssetList assets;
    if (!AssetsBuildAll(assets)) return 1;
    namespace fs = std::filesystem;
    const fs::path root(argv[1]);
    for (const Asset& asset : assets) {
        const fs::path path = root / asset.path;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        // Written beside the target and renamed, so a reader never sees half a file.
        const fs::path temp = path.string() + ".tmp";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(asset.bytes.data()),
                      std::streamsize(asset.bytes.size()));
            if (!out) {
                std::fprintf(stderr, "assetgen: cannot write %s\n", temp.c_str());
                return 1;
            }
        }
        fs::rename(temp, path, ec);
        if (ec) {
            std::fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(),
                         ec.message().c_str());
            return 1;
        }
    }
    std::printf("assetgen: %zu files in %s\n", assets.size(), root.c_str());
    return 0;
}
