#include "service/engines/ppocr/fused_layers.h"

#include <opencv2/core/utility.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/dnn/layer.details.hpp>

#include <algorithm>
#include <mutex>

namespace ocrgated::ppocr {
namespace {

// A layer of one input and one output, both float tensors, made by the importer.
template <typename Derived>
class OneToOneLayer : public cv::dnn::Layer {
  public:
    static cv::Ptr<cv::dnn::Layer> Create(cv::dnn::LayerParams& params) {
        return cv::makePtr<Derived>(params);
    }

    void forward(cv::InputArrayOfArrays inputs_arr, cv::OutputArrayOfArrays outputs_arr,
                 cv::OutputArrayOfArrays) override {
        std::vector<cv::Mat> inputs, outputs;
        inputs_arr.getMatVector(inputs);
        outputs_arr.getMatVector(outputs);
        static_cast<Derived*>(this)->Forward(inputs[0], outputs[0]);
    }

  protected:
    explicit OneToOneLayer(const cv::dnn::LayerParams& params) { setParamsFrom(params); }
};

// y = scale_after * hardswish(x + shift) + shift_after: the models' learnable
// affine blocks around each hard-swish, in one pass instead of six.
class AffineHardSwishLayer : public OneToOneLayer<AffineHardSwishLayer> {
  public:
    explicit AffineHardSwishLayer(const cv::dnn::LayerParams& params)
        : OneToOneLayer(params),
          shift_(params.get<float>("shift", 0.0f)),
          scale_after_(params.get<float>("scale_after", 1.0f)),
          shift_after_(params.get<float>("shift_after", 0.0f)) {}

    bool getMemoryShapes(const std::vector<cv::dnn::MatShape>& inputs, int,
                         std::vector<cv::dnn::MatShape>& outputs,
                         std::vector<cv::dnn::MatShape>&) const override {
        outputs = inputs;
        return false;
    }

    void Forward(const cv::Mat& input, cv::Mat& output) const {
        const float* in = input.ptr<float>();
        float* out = output.ptr<float>();
        const std::size_t total = input.total();
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

// A 5x5 depthwise convolution with 2 pixels of zero padding: OpenCV 4.6 runs only
// 3x3 ones on its fast path, and splitting 5x5 into 3x3 ones costs a padded copy
// of the input per part. blobs: C x 1 x 5 x 5 weights, C biases.
class DepthwiseConv5x5Layer : public OneToOneLayer<DepthwiseConv5x5Layer> {
  public:
    explicit DepthwiseConv5x5Layer(const cv::dnn::LayerParams& params)
        : OneToOneLayer(params),
          stride_y_(params.get<int>("stride_h", 1)),
          stride_x_(params.get<int>("stride_w", 1)) {
        CV_Assert(blobs.size() == 2 && stride_y_ > 0 && stride_x_ > 0);
    }

    bool getMemoryShapes(const std::vector<cv::dnn::MatShape>& inputs, int,
                         std::vector<cv::dnn::MatShape>& outputs,
                         std::vector<cv::dnn::MatShape>&) const override {
        cv::dnn::MatShape shape = inputs[0];
        // Sizes the importer does not know yet (a free input size) stay unknown.
        if (shape[2] > 0)
            shape[2] = (shape[2] - 1) / stride_y_ + 1;
        if (shape[3] > 0)
            shape[3] = (shape[3] - 1) / stride_x_ + 1;
        outputs.assign(1, shape);
        return false;
    }

    void Forward(const cv::Mat& in, cv::Mat& out) const {
        const int channels = in.size[1], planes = in.size[0] * channels;
        cv::parallel_for_(cv::Range(0, planes), [&](const cv::Range& range) {
            for (int plane = range.start; plane < range.end; ++plane)
                Plane(in, out, plane, plane % channels);
        });
    }

  private:
    void Plane(const cv::Mat& in, cv::Mat& out, int plane, int channel) const {
        const int height = in.size[2], width = in.size[3];
        const int out_height = out.size[2], out_width = out.size[3];
        const float* source = in.ptr<float>() + static_cast<std::size_t>(plane) * height * width;
        float* target = out.ptr<float>() + static_cast<std::size_t>(plane) * out_height * out_width;
        const float* kernel = blobs[0].ptr<float>() + channel * 25;
        const float bias = blobs[1].ptr<float>()[channel];
        for (int oy = 0; oy < out_height; ++oy) {
            float* row = target + static_cast<std::size_t>(oy) * out_width;
            std::fill(row, row + out_width, bias);
            for (int ky = 0; ky < 5; ++ky) {
                const int iy = oy * stride_y_ - 2 + ky;
                if (iy < 0 || iy >= height)
                    continue;
                const float* line = source + static_cast<std::size_t>(iy) * width;
                for (int kx = 0; kx < 5; ++kx) {
                    const float weight = kernel[ky * 5 + kx];
                    // The outputs whose input column ox * stride - 2 + kx is inside the row.
                    const int first = std::max(0, (2 - kx + stride_x_ - 1) / stride_x_);
                    const int reach = width + 1 - kx;  // the last column, times the stride
                    const int end = reach < 0 ? 0 : std::min(out_width, reach / stride_x_ + 1);
                    if (stride_x_ == 1) {  // contiguous: the compiler vectorises this one
                        for (int ox = first; ox < end; ++ox)
                            row[ox] += weight * line[ox + kx - 2];
                    } else {
                        for (int ox = first; ox < end; ++ox)
                            row[ox] += weight * line[ox * stride_x_ - 2 + kx];
                    }
                }
            }
        }
    }

    int stride_y_, stride_x_;
};

// x * gate, or x + x * gate when `residual`: each channel of x [N, C, H, W] scaled by
// its gate [N, C, 1, 1]. Where the importer knows no shapes it makes such a product
// an element-wise layer that broadcasts pixel by pixel.
class ChannelGateLayer : public cv::dnn::Layer {
  public:
    static cv::Ptr<cv::dnn::Layer> Create(cv::dnn::LayerParams& params) {
        return cv::makePtr<ChannelGateLayer>(params);
    }

    explicit ChannelGateLayer(const cv::dnn::LayerParams& params)
        : residual_(params.get<int>("residual", 0) != 0 ? 1.0f : 0.0f) {
        setParamsFrom(params);
    }

    bool getMemoryShapes(const std::vector<cv::dnn::MatShape>& inputs, int,
                         std::vector<cv::dnn::MatShape>& outputs,
                         std::vector<cv::dnn::MatShape>&) const override {
        outputs.assign(1, inputs[0]);
        return false;
    }

    void forward(cv::InputArrayOfArrays inputs_arr, cv::OutputArrayOfArrays outputs_arr,
                 cv::OutputArrayOfArrays) override {
        std::vector<cv::Mat> inputs, outputs;
        inputs_arr.getMatVector(inputs);
        outputs_arr.getMatVector(outputs);
        const cv::Mat& x = inputs[0];
        const int planes = x.size[0] * x.size[1];
        CV_Assert(inputs.size() == 2 && inputs[1].total() == static_cast<std::size_t>(planes));
        const std::size_t plane_size = x.total() / static_cast<std::size_t>(planes);
        const float* in = x.ptr<float>();
        const float* gates = inputs[1].ptr<float>();
        float* out = outputs[0].ptr<float>();
        cv::parallel_for_(cv::Range(0, planes), [&](const cv::Range& range) {
            for (int plane = range.start; plane < range.end; ++plane) {
                const float gate = gates[plane] + residual_;
                const std::size_t first = static_cast<std::size_t>(plane) * plane_size;
                for (std::size_t i = first; i < first + plane_size; ++i)
                    out[i] = in[i] * gate;
            }
        });
    }

  private:
    float residual_;
};

}  // namespace

void RegisterFusedLayers() {
    static std::once_flag once;
    std::call_once(once, [] {
        cv::dnn::LayerFactory::registerLayer("AffineHardSwish", AffineHardSwishLayer::Create);
        cv::dnn::LayerFactory::registerLayer("DepthwiseConv5x5", DepthwiseConv5x5Layer::Create);
        cv::dnn::LayerFactory::registerLayer("ChannelGate", ChannelGateLayer::Create);
    });
}

}  // namespace ocrgated::ppocr
