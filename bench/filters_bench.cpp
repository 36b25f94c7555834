// Measures the pixel filters on a large picture.
//
// usage: filters_bench [PASSES]
//
// Runs each filter over a 1024 x 1024 picture of varied colours, PASSES times (default 7)
// after a warm-up round, the filters taking turns so that the load of the machine weighs on
// all alike, and prints the median in milliseconds and in megapixels of input per second.
// The last line runs a rotation through CFilterBitmap, buffers and bitmap copies included.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "bench/medianpasses.h"
#include "controls/colorfilters.h"
#include "controls/filterbitmap.h"
#include "controls/geometryfilters.h"
#include "controls/kernelfilters.h"

namespace {

constexpr int kSide = 1024;

struct Subject {
    std::string name;
    std::function<std::size_t(const std::vector<Pixel>&)> run;
};

std::vector<Pixel> Picture() {
    std::vector<Pixel> pixels;
    pixels.reserve(static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            pixels.push_back(Pixel{static_cast<std::uint8_t>(x * 7 + y),
                                   static_cast<std::uint8_t>(x ^ y),
                                   static_cast<std::uint8_t>(y * 3), 0});
        }
    }
    return pixels;
}

Subject Filter(std::string name, std::shared_ptr<const CImageFilter> filter) {
    return {std::move(name), [filter](const std::vector<Pixel>& input) {
                const PictureSize size = filter->GetOutputSize(kSide, kSide);
                static std::vector<Pixel> output;
                output.assign(static_cast<std::size_t>(size.width) * size.height, Pixel{});
                filter->Apply(input.data(), kSide, kSide, output.data(), size.width, size.height);
                return static_cast<std::size_t>(output[output.size() / 2].red) + 1;
            }};
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QImage image(kSide, kSide, QImage::Format_RGB32);
    const std::vector<Subject> subjects = {
        Filter("rotate 30, smooth", std::make_shared<CRotateFilter>(30, true)),
        Filter("rotate 30", std::make_shared<CRotateFilter>(30, false)),
        Filter("skew 100,50 smooth", std::make_shared<CSkewFilter>(100, 50, true)),
        Filter("grey", std::make_shared<CGrayFilter>()),
        Filter("blur 5", std::make_shared<CBlurFilter>(5)),
        Filter("sharpen 5", std::make_shared<CSharpenFilter>(5)),
        Filter("scale 2.0", std::make_shared<CScaleFilter>(2.0)),
        Filter("scale 0.5", std::make_shared<CScaleFilter>(0.5)),
        Filter("negative", std::make_shared<CNegativeFilter>()),
        Filter("flip both", std::make_shared<CFlipFilter>(true, true)),
        Filter("replace colour", std::make_shared<CReplaceColorFilter>(RGB(0, 0, 0), 1)),
        {"bitmap rotate 30",
         [&image](const std::vector<Pixel>&) {
             CFilterBitmap bitmap(RGB(212, 208, 200));
             bitmap.Attach(image);
             const CRotateFilter rotate(30, true);
             const CImageFilter* const chain[] = {&rotate};
             return static_cast<std::size_t>(bitmap.ApplyFilters(chain));
         }},
    };
    const std::vector<Pixel> input = Picture();
    for (int y = 0; y < kSide; ++y) {
        std::copy_n(input.data() + static_cast<std::ptrdiff_t>(y) * kSide, kSide,
                    reinterpret_cast<Pixel*>(image.scanLine(y)));
    }
    std::vector<std::function<std::size_t(const std::vector<Pixel>&)>> runs;
    for (const Subject& subject : subjects) {
        runs.push_back(subject.run);
    }
    const std::vector<double> medians =
        MedianPasses(std::vector<std::vector<Pixel>>{input}, runs, passes);
    const double megapixels = kSide * kSide / 1e6;
    std::printf("%d x %d input, median of %d passes\n", kSide, kSide, passes);
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        std::printf("  %-20s %8.1f ms %8.1f Mpixel/s\n", subjects[i].name.c_str(), medians[i] * 1e3,
                    megapixels / medians[i]);
    }
    return 0;
}
