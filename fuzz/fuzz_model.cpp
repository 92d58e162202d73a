// Text models: any bytes either give a model whose every vertex is finite or end with exit 1.
#include "fuzz_target.h"
#include "render/model.h"

#include <cmath>

namespace {
void ReadModel(const char* path) {
    ModelPoolClear(); // every input starts with an empty pool of 50 records
    Model* model = ModelRead(path);
    if (!model) return;
    for (int32_t t = 0; t < int32_t(model->triangleCount); ++t)
        for (const ModelVertex& v : model->triangles[t].vertex)
            if (!std::isfinite(v.pos.x) || !std::isfinite(v.pos.y) || !std::isfinite(v.pos.z))
                __builtin_trap();
}
} // namespace

SKX_FUZZ_TARGET(model) {
    const char* path = FuzzWriteInput(data, size, ".3d");
    int status = FuzzCatchExit(ReadModel, path);
    if (status != -1 && status != 1) __builtin_trap();
    ModelPoolClear();
    return 0;
}
