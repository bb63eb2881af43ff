#include "bench_pictures.h"

#include "rendered_pictures.h"

namespace bench {
namespace {

const std::string kSans = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
const std::string kSansBold = "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc";

// Lines of one font, size and colour, from (x, top) down by gap.
struct Block {
    std::string font, colour;
    int pointsize = 0, x = 0, top = 0, gap = 0;
    std::vector<std::string> lines;
};

std::vector<std::string> Draw(const Block& block) {
    std::vector<std::string> args = {"-stroke",  "none",       "-font",
                                     block.font, "-pointsize", std::to_string(block.pointsize),
                                     "-fill",    block.colour};
    int y = block.top;
    for (const auto& line : block.lines) {
        args.insert(args.end(),
                    {"-annotate", "+" + std::to_string(block.x) + "+" + std::to_string(y), line});
        y += block.gap;
    }
    return args;
}

struct Page {
    std::string name, file, size, background;
    std::vector<std::string> before;  // drawn under the text
    std::vector<Block> blocks;
    std::vector<std::string> after;  // distortions and output settings
};

BenchPicture Render(const Page& page, const std::filesystem::path& directory) {
    std::vector<std::string> args = {"-size", page.size, page.background};
    args.insert(args.end(), page.before.begin(), page.before.end());
    for (const auto& block : page.blocks) {
        const auto drawn = Draw(block);
        args.insert(args.end(), drawn.begin(), drawn.end());
    }
    args.insert(args.end(), page.after.begin(), page.after.end());
    const auto path = directory / page.file;
    // 8-bit colour, as screenshots and photos come; -write saves the picture
    // in the format its name says.
    args.insert(args.end(),
                {"-depth", "8", "-define", "png:color-type=2", "-write", path.string()});
    quillory::testing::RenderPng(args);
    return {page.name, path};
}

std::vector<std::string> TableGrid() {
    std::vector<std::string> args = {"-stroke", "#555555", "-strokewidth", "2", "-fill", "none"};
    for (int y = 20; y <= 420; y += 80)
        args.insert(args.end(),
                    {"-draw", "line 20," + std::to_string(y) + " 940," + std::to_string(y)});
    for (int x : {20, 260, 500, 740, 940})
        args.insert(args.end(),
                    {"-draw", "line " + std::to_string(x) + ",20 " + std::to_string(x) + ",420"});
    return args;
}

std::vector<Page> Pages() {
    return {
        {"poster",
         "poster.png",
         "900x1200",
         "gradient:#ff9a3c-#ff3c7d",
         {"-fill", "#ffffff40", "-draw", "circle 700,200 850,330", "-draw",
          "circle 150,900 330,1050"},
         {{kSansBold, "white", 96, 60, 220, 0, {"年终大促"}},
          {kSansBold, "#fff5a0", 54, 60, 340, 0, {"全场低至三折 满299减100"}},
          {kSans,
           "white",
           36,
           60,
           520,
           80,
           {"活动时间 12月12日至12月31日", "会员专享 额外九五折", "扫码关注 领取新人红包"}},
          {kSansBold, "white", 120, 60, 950, 0, {"¥99起"}},
          {kSans, "white", 28, 60, 1120, 0, {"地址：上海市静安区南京西路1688号"}}},
         {}},
        {"screenshot-line",
         "screenshot_line.png",
         "1500x64",
         "xc:#ffffff",
         {},
         {{kSans,
           "#1f2328",
           24,
           16,
           42,
           0,
           {"文件  编辑  视图  插入  格式  工具  帮助    最近打开：2026年第四季度销售报告.docx  "
            "Settings  Preferences"}}},
         {}},
        {"paragraph",
         "paragraph.png",
         "1100x820",
         "xc:#ffffff",
         {},
         {{kSans,
           "#222222",
           26,
           40,
           60,
           52,
           {"近年来，越来越多的城市开始推广垃圾分类，居民的环保意识不断增强。",
            "社区在每栋楼下设置了四种颜色的垃圾桶，分别用于可回收物、有害垃圾、",
            "厨余垃圾和其他垃圾。志愿者每天早晚在投放点值守，耐心指导居民正确",
            "分类。经过一年的努力，小区的垃圾减量效果明显，环境也更加整洁。",
            "与此同时，学校把垃圾分类写进了课堂，孩子们回家后又影响了父母。",
            "不少商家也主动减少一次性包装，顾客自带购物袋可以享受小额优惠。",
            "专家指出，垃圾分类的关键在于长期坚持，需要政府、企业和居民共同参与。",
            "只有形成良好的习惯，资源才能真正得到循环利用，城市才能持续发展。",
            "The city plans to recycle 35% of household waste by 2027.",
            "下一步，相关部门将完善回收体系，提高分拣效率，让每一份努力都有回报。",
            "欢迎广大市民积极参与，共同建设美丽家园。咨询电话：12345。",
            "本文由市环境保护宣传中心提供，转载请注明出处。"}}},
         {}},
        {"receipt",
         "receipt.png",
         "420x1000",
         "xc:#fbfbf5",
         {},
         {{kSansBold, "#202020", 28, 90, 60, 0, {"街角便利店"}},
          {kSans,
           "#303030",
           20,
           20,
           120,
           42,
           {"门店：朝阳区建国路店", "时间：2026-12-08 18:42", "收银员：027  单号：58213",
            "--------------------------------", "矿泉水550ml  x2    4.00", "红烧牛肉面  x1    5.50",
            "黑巧克力43g  x1    9.90", "纯牛奶250ml  x6   21.00", "面包（全麦）  x1    8.80",
            "纸巾三连包  x1   12.90", "--------------------------------", "合计：  62.10",
            "优惠：  -5.00", "实收：  57.10", "支付方式：微信支付", "谢谢惠顾，欢迎再次光临",
            "发票请扫描小票二维码开具"}}},
         {}},
        {"table",
         "table.png",
         "960x440",
         "xc:#ffffff",
         TableGrid(),
         {{kSansBold, "#111111", 28, 40, 72, 0, {"商品名称"}},
          {kSansBold, "#111111", 28, 280, 72, 0, {"单价（元）"}},
          {kSansBold, "#111111", 28, 520, 72, 0, {"数量"}},
          {kSansBold, "#111111", 28, 760, 72, 0, {"小计"}},
          {kSans,
           "#222222",
           26,
           40,
           152,
           80,
           {"无线鼠标", "机械键盘", "显示器支架", "USB-C 扩展坞"}},
          {kSans, "#222222", 26, 280, 152, 80, {"89.00", "329.00", "159.00", "218.00"}},
          {kSans, "#222222", 26, 520, 152, 80, {"2", "1", "1", "3"}},
          {kSans, "#222222", 26, 760, 152, 80, {"178.00", "329.00", "159.00", "654.00"}}},
         {}},
        {"photo-jpeg",
         "photo.jpg",
         "1280x960",
         "xc:#e9e1cf",
         {"-fill", "#2d5a3c", "-draw", "roundrectangle 140,200 1140,760 30,30"},
         {{kSansBold, "white", 88, 220, 380, 150, {"前方施工 请绕行", "Road Work Ahead"}},
          {kSans, "#f0f0f0", 44, 220, 660, 0, {"预计完工日期：2027年3月"}}},
         {"-background", "#e9e1cf", "-rotate", "3", "-attenuate", "0.8", "+noise", "Gaussian",
          "-blur", "0x1.2", "-quality", "60"}},
        {"phone-chat",
         "phone_chat.png",
         "750x1334",
         "xc:#1e1e1e",
         {"-fill", "#2c2c2e", "-draw", "roundrectangle 30,150 620,330 24,24", "-draw",
          "roundrectangle 30,420 660,600 24,24", "-fill", "#0a84ff", "-draw",
          "roundrectangle 200,700 720,880 24,24"},
         {{kSansBold, "#ffffff", 34, 300, 80, 0, {"项目讨论组"}},
          {kSans, "#d4d4d4", 30, 60, 220, 70, {"明天上午十点开会，", "请大家提前准备材料。"}},
          {kSans, "#d4d4d4", 30, 60, 490, 70, {"收到，我负责整理", "第三季度的数据报表。"}},
          {kSans, "#ffffff", 30, 230, 770, 70, {"好的，会议室在三楼", "记得带上笔记本电脑"}},
          {kSans, "#8e8e93", 24, 280, 1000, 0, {"下午 3:25"}}},
         {}},
        {"small-ui",
         "small_ui.png",
         "320x110",
         "xc:#ffffff",
         {},
         {{kSans, "#333333", 14, 7, 24, 24, {"账户设置", "修改登录密码", "隐私与安全 通知管理"}}},
         {}},
        {"price-tag",
         "price_tag.png",
         "560x170",
         "xc:#ffd83a",
         {},
         {{kSansBold, "#e02020", 42, 21, 70, 70, {"¥199.00 包邮", "到手价 ¥89.90"}}},
         {}},
        {"mixed-scripts",
         "mixed_scripts.png",
         "820x170",
         "xc:#f7f7f7",
         {},
         {{kSans,
           "#111111",
           34,
           17,
           60,
           60,
           {"iPhone 15 Pro 256GB 仅售 7999 元", "Wi-Fi 6 双频路由器 AX3000"}}},
         {}},
    };
}

}  // namespace

std::vector<BenchPicture> RenderBenchPictures(const std::filesystem::path& directory) {
    std::filesystem::create_directories(directory);
    std::vector<BenchPicture> pictures;
    for (const auto& page : Pages())
        pictures.push_back(Render(page, directory));
    return pictures;
}

}  // namespace bench
