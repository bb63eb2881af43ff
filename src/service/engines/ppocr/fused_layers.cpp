#include "service/engines/ppocr/fused_layers.h"

#include <opencv2/core/utility.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/dnn/layer.details.hpp>

#include <algorithm>
#include <mutex>

namespace ocrgated::ppocr {
namespace {

// y = scale_after * hardswish(x + shift) + shift_after: the models' learnable
// affine blocks around each hard-swish, in one pass instead of six.
class AffineHardSwishLayer : public cv::dnn::Layer {
  public:
    explicit AffineHardSwishLayer(const cv::dnn::LayerParams& params)
        : shift_(params.get<float>("shift", 0.0f)),
          scale_after_(params.get<float>("scale_after", 1.0f)),
          shift_after_(params.get<float>("shift_after", 0.0f)) {
        setParamsFrom(params);
    }

    static cv::Ptr<cv::dnn::Layer> Create(cv::dnn::LayerParams& params) {
        return cv::makePtr<AffineHardSwishLayer>(params);
    }

    bool getMemoryShapes(const std::vector<cv::dnn::MatShape>& inputs, int,
                         std::vector<cv::dnn::MatShape>& outputs,
                         std::vector<cv::dnn::MatShape>&) const override {
        outputs = inputs;
        return false;
    }

    void forward(cv::InputArrayOfArrays inputs_arr, cv::OutputArrayOfArrays outputs_arr,
                 cv::OutputArrayOfArrays) override {
        std::vector<cv::Mat> inputs, outputs;
        inputs_arr.getMatVector(inputs);
        outputs_arr.getMatVector(outputs);
        const float* in = inputs[0].ptr<float>();
        float* out = outputs[0].ptr<float>();
        const std::size_t total = inputs[0].total();
        constexpr std::size_t kChunk = 16384;
        const float shift = shift_, scale = scale_after_ / 6.0f, shift_after = shift_after_;
        cv::parallel_for_(cv::Range(0, static_cast<int>((total + kChunk - 1) / kChunk)),
                          [&](const cv::Range& chunks) {
                              const std::size_t end =
                                  std::min(total, static_cast<std::size_t>(chunks.end) * kChunk);
                              for (std::size_t i = static_cast<std::size_t>(chunks.start) * kChunk;
                                   i < end; ++i) {
                                  const float x = in[i] + shift;
                                  const float gate = std::min(std::max(x + 3.0f, 0.0f), 6.0f);
                                  out[i] = x * gate * scale + shift_after;
                              }
                          });
    }

  private:
    float shift_, scale_after_, shift_after_;
};

}  // namespace

void RegisterFusedLayers() {
    static std::once_flag once;
    std::call_once(once, [] {
        cv::dnn::LayerFactory::registerLayer("AffineHardSwish", AffineHardSwishLayer::Create);
    });
}

}  // namespace ocrgated::ppocr
