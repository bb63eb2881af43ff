#include "service/engines/ppocr/fused_layers.h"

#include <gtest/gtest.h>
#include <opencv2/dnn.hpp>
#include <opencv2/dnn/shape_utils.hpp>

#include <algorithm>

namespace ocrgated::ppocr {
namespace {

// Runs one layer of `type` on `input` through OpenCV's own network machinery.
cv::Mat RunLayer(const std::string& type, cv::dnn::LayerParams params, const cv::Mat& input) {
    params.type = type;
    params.name = "layer";
    cv::dnn::Net net;
    net.addLayerToPrev(params.name, params.type, params);
    net.setInput(input);
    return net.forward().clone();
}

cv::Mat Random(std::vector<int> shape, int seed) {
    cv::Mat values(static_cast<int>(shape.size()), shape.data(), CV_32F);
    cv::RNG(seed).fill(values, cv::RNG::UNIFORM, -4, 4);
    return values;
}

// The fused layers against the nodes they replace, computed by OpenCV's own layers,
// over odd sizes and every stride the models use.
TEST(FusedLayers, MatchTheLayersTheyReplace) {
    RegisterFusedLayers();
    const struct {
        int height, width, stride_y, stride_x;
    } cases[] = {{1, 1, 1, 1}, {3, 2, 1, 1}, {6, 17, 1, 1},
                 {7, 9, 2, 1}, {9, 8, 2, 2}, {5, 33, 2, 2}};
    for (const auto& c : cases) {
        const int channels = 3;
        const cv::Mat input = Random({1, channels, c.height, c.width}, c.width);
        cv::dnn::LayerParams convolution;
        convolution.blobs = {Random({channels, 1, 5, 5}, 1), Random({channels}, 2)};
        convolution.set("kernel_size", 5);
        convolution.set("pad", 2);
        convolution.set("stride_h", c.stride_y);
        convolution.set("stride_w", c.stride_x);
        convolution.set("group", channels);
        convolution.set("num_output", channels);
        convolution.set("bias_term", true);
        cv::dnn::LayerParams fused;
        fused.blobs = convolution.blobs;
        fused.set("stride_h", c.stride_y);
        fused.set("stride_w", c.stride_x);
        const cv::Mat expected = RunLayer("Convolution", convolution, input);
        const cv::Mat actual = RunLayer("DepthwiseConv5x5", fused, input);
        ASSERT_EQ(cv::dnn::shape(actual), cv::dnn::shape(expected)) << c.height << "x" << c.width;
        EXPECT_LT(cv::norm(actual, expected, cv::NORM_INF), 1e-4) << c.height << "x" << c.width;
    }

    const cv::Mat input = Random({1, 2, 4, 5}, 7);
    cv::dnn::LayerParams hardswish;
    hardswish.set("shift", 0.5f);
    hardswish.set("scale_after", 2.0f);
    hardswish.set("shift_after", -1.0f);
    const cv::Mat actual = RunLayer("AffineHardSwish", hardswish, input);
    for (std::size_t i = 0; i < input.total(); ++i) {
        const float x = input.ptr<float>()[i] + 0.5f;
        const float expected = 2.0f * x * std::clamp(x + 3, 0.0f, 6.0f) / 6 - 1.0f;
        EXPECT_NEAR(actual.ptr<float>()[i], expected, 1e-5) << i;
    }

    // Each channel times its gate, plus the input again when residual.
    for (const int residual : {0, 1}) {
        const cv::Mat x = Random({1, 3, 5, 7}, residual), gates = Random({1, 3, 1, 1}, 9);
        cv::dnn::LayerParams params;
        params.set("residual", residual);
        cv::dnn::Net net;
        net.setInputsNames({"x", "gates"});
        const int gate = net.addLayer("gate", "ChannelGate", params);
        net.connect(0, 0, gate, 0);
        net.connect(0, 1, gate, 1);
        net.setInput(x, "x");
        net.setInput(gates, "gates");
        const cv::Mat actual = net.forward();
        ASSERT_EQ(actual.total(), x.total());
        for (std::size_t i = 0; i < x.total(); ++i) {
            const float in = x.ptr<float>()[i];
            const float expected = in * gates.ptr<float>()[i / 35] + float(residual) * in;
            EXPECT_NEAR(actual.ptr<float>()[i], expected, 1e-5) << residual << " at " << i;
        }
    }
}

}  // namespace
}  // namespace ocrgated::ppocr
