#include "rendered_pictures.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace quillory::testing {
namespace {

const std::string kSans = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
const std::string kSansBold = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";

std::string Quote(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) {
        if (c == '\'')
            quoted.append("'\\''");
        else
            quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}

struct Style {
    std::string name, size, background, font, colour;
    int pointsize = 0, line_gap = 0;
    std::vector<std::string> after;  // distortions applied to the finished picture
};

RenderedPicture Render(const Style& style, const std::vector<std::string>& lines) {
    std::vector<std::string> args = {"-size", style.size};
    args.insert(args.end(), {style.background, "-font", style.font, "-pointsize",
                             std::to_string(style.pointsize), "-fill", style.colour});
    int y = style.line_gap;
    for (const auto& line : lines) {
        std::string offset = "+";
        offset.append(std::to_string(style.pointsize / 2)).append("+").append(std::to_string(y));
        args.insert(args.end(), {"-annotate", offset, line});
        y += style.line_gap;
    }
    args.insert(args.end(), style.after.begin(), style.after.end());
    return {style.name, lines, RenderPng(args)};
}

// Two sizes and colours of bold text over a gradient with translucent shapes.
RenderedPicture RenderPoster() {
    return {"white-on-gradient",
            {"双十一狂欢 满300减50", "爆款直降 手慢无"},
            RenderPng({"-size",
                       "760x200",
                       "gradient:#ff9a3c-#ff3c7d",
                       "-fill",
                       "#ffffff40",
                       "-draw",
                       "circle 120,100 200,160",
                       "-draw",
                       "circle 600,60 700,120",
                       "-font",
                       kSansBold,
                       "-pointsize",
                       "50",
                       "-fill",
                       "white",
                       "-annotate",
                       "+25+80",
                       "双十一狂欢 满300减50",
                       "-pointsize",
                       "30",
                       "-fill",
                       "#fff5a0",
                       "-annotate",
                       "+25+150",
                       "爆款直降 手慢无"})};
}

}  // namespace

std::vector<std::uint8_t> RenderPng(const std::vector<std::string>& arguments) {
    return RenderPicture(arguments, "png");
}

std::vector<std::uint8_t> RenderPicture(const std::vector<std::string>& arguments,
                                        const std::string& format) {
    std::string command = "convert";
    for (const auto& argument : arguments)
        command.append(" ").append(Quote(argument));
    command += " " + format + ":- 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run convert");
    std::vector<std::uint8_t> png;
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        png.insert(png.end(), buffer, buffer + n);
    if (pclose(pipe.release()) != 0 || png.empty())
        throw std::runtime_error("convert failed: " + command);
    return png;
}

std::vector<RenderedPicture> RenderTestSet() {
    const Style product{
        "white-on-gradient", "760x190", "gradient:#ff5fa2-#8e3bef", kSansBold, "white", 46, 75, {}};
    const Style price{"red-on-yellow", "560x170", "xc:#ffd83a", kSansBold, "#e02020", 42, 70, {}};
    const Style small{"small-ui", "320x110", "xc:#ffffff", kSans, "#333333", 14, 24, {}};
    const Style dark{"dark-mode", "560x150", "xc:#1e1e1e", kSans, "#d4d4d4", 30, 55, {}};
    const Style photo{"rotated-noisy-photo",
                      "760x200",
                      "xc:#efe6d2",
                      kSans,
                      "#2a2a2a",
                      38,
                      70,
                      {"-background", "#efe6d2", "-rotate", "2.5", "-attenuate", "0.6", "+noise",
                       "Gaussian", "-blur", "0x0.7"}};
    const Style rougher_photo{"rotated-noisy-photo",
                              "700x180",
                              "xc:#e8e0cc",
                              kSans,
                              "#303030",
                              36,
                              70,
                              {"-background", "#e8e0cc", "-rotate", "-4", "-attenuate", "1.0",
                               "+noise", "Gaussian", "-blur", "0x1.0"}};
    const Style mixed{"mixed-scripts", "820x170", "xc:#f7f7f7", kSans, "#111111", 34, 60, {}};
    return {
        Render(product, {"限时特惠 全场五折起", "新品上市 买一送一"}),
        RenderPoster(),
        Render(price, {"¥199.00 包邮", "到手价 ¥89.90"}),
        Render(small, {"账户设置", "修改登录密码", "隐私与安全 通知管理"}),
        Render(dark, {"消息通知已开启", "夜间模式 Dark Mode"}),
        Render(photo, {"欢迎光临本店", "营业时间 9:00-21:00"}),
        Render(rougher_photo, {"停车场入口", "请勿占用消防通道"}),
        Render(mixed, {"iPhone 15 Pro 256GB 仅售 7999 元", "Wi-Fi 6 双频路由器 AX3000"}),
    };
}

RenderedPicture RenderBenchPicture() {
    const Style poster{"bench", "1000x300", "gradient:#ffffff-#e8eef8", kSans, "#202020", 48,
                       110,     {}};
    return Render(poster, {"春季新品发布会 限时优惠进行中", "Free shipping on orders over ¥99"});
}

}  // namespace quillory::testing
