// Inside the software device: set-up triangles, the per-band bins, textures and the band pool.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "view3d/d3d8/device.h"

// Screen positions carry 8 bits below the pixel, as the hardware of the time did.
inline constexpr int kSubpixelBits = 8;
inline constexpr int kSubpixelOne = 1 << kSubpixelBits;
// Rows per band: each band is rasterised by one thread, bands are handed out one at a time.
inline constexpr int kBandHeight = 32;
// A depth bias step scales the closeness of a pixel by 1 + bias / 4096: two steps move a tile face
// about 0.1 world units toward the camera at the default distance, far less than a tile is thick,
// yet a thousand times the rounding of two coplanar triangles' depth planes.
inline constexpr double kDepthBiasStep = 1.0 / 4096.0;
// Triangles are clipped to this many view widths and heights around the view, so fixed-point
// screen positions stay small whatever the camera does.
inline constexpr float kGuardBand = 4.0f;

struct DeviceTexture {
    std::vector<std::uint32_t> texels;  // 0xAARRGGBB, rows top-down
    int width = 0;
    int height = 0;
    bool inUse = false;
};

// The states one draw call was recorded with.
struct DrawStates {
    const DeviceTexture* texture = nullptr;
    bool blending = false;
    bool depthTest = true;
};

// An attribute's plane over the screen: value at the centre of pixel (x, y) is
// at + dx * (x - referenceX) + dy * (y - referenceY).
struct AttributePlane {
    float at = 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
};

// One triangle ready for the bands: corners in fixed point, ordered so that every edge function
// is positive inside; attribute planes divided by w for perspective-correct interpolation.
struct RasterTriangle {
    std::int32_t x[3];
    std::int32_t y[3];
    std::int32_t rowFirst, rowLast;  // rows whose centres the triangle may cover
    std::int32_t columnFirst, columnLast;
    std::int32_t referenceX, referenceY;
    std::uint32_t flatColour;  // 0xAARRGGBB when all corners share it
    std::uint16_t states;      // index into the scene's DrawStates
    bool flat;                 // one colour: no colour planes needed
    AttributePlane closeness;  // 1 - depth, biased: larger is nearer
    AttributePlane inverseW;
    AttributePlane uOverW, vOverW;
    AttributePlane colourOverW[4];  // blue, green, red, alpha in 0..255, only when not flat
};

// A small persistent pool that runs one job over numbered bands on the calling thread and its
// workers; no thread is started per frame.
class BandWorkers {
public:
    using Job = void (*)(void* context, int band);

    ~BandWorkers() { Stop(); }
    // Starts threadCount - 1 workers (the caller is the last one). False when a thread could not
    // be started; the pool then runs everything on the caller.
    bool Start(int threadCount);
    void Stop();
    // Calls job(context, band) once for every band 0..bandCount - 1 and returns when all are done.
    void Run(Job job, void* context, int bandCount);
    int ThreadCount() const { return static_cast<int>(threads_.size()) + 1; }

private:
    void WorkerLoop();
    void TakeBands();

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::uint64_t generation_ = 0;
    int workersBusy_ = 0;
    bool stopping_ = false;
    Job job_ = nullptr;
    void* context_ = nullptr;
    int bandCount_ = 0;
    std::atomic<int> nextBand_{0};
};

// Everything recorded for one scene, read by the band job.
struct SceneWork {
    bool clearPending = false;
    std::uint32_t clearColour = 0;
    float clearCloseness = 0.0f;
    const Image* clearPicture = nullptr;  // cleared to this picture instead of the colour
    std::vector<DrawStates> states;
    std::vector<RasterTriangle> triangles;
    std::vector<std::vector<std::uint32_t>> bins;  // per band, triangle indices in draw order
};

// Rasterises the triangles of one band into the target and depth rows (raster.cpp).
void RasteriseBand(const SceneWork& work, int band, Image& target, float* depth);
