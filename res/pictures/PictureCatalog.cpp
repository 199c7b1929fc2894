#include "PictureCatalog.h"

#include "Glyphs.h"
#include "PictureLook.h"

#include "BlockColours.h"
#include "vessmar/FileSystemType.h"

#include <cmath>

using namespace look;

namespace {

struct Operation {
    const char* name; // as in the file names
    const char* label;
    Glyph glyph;
};

const Operation kOperations[] = {
    {"mount", "Mount", Glyph::Mount},       {"unmount", "Unmount", Glyph::Unmount},
    {"check", "Check Image", Glyph::Check}, {"option", "Options", Glyph::Option},
    {"backup", "Backup", Glyph::Backup},    {"restore", "Restore", Glyph::Restore},
    {"clone", "Clone Disk", Glyph::Clone},  {"help", "Help", Glyph::Help},
};

struct StateName {
    State state;
    const char* suffix;
};

void PushButtonFace(cairo_t* cr, int w, int h, bool down)
{
    FillVertical(cr, 0, 0, w, h, down ? Rgb(0xD8D4C4) : Rgb(0xFFFFFF), down ? Rgb(0xEEEDE5) : Rgb(0xE3E1D5));
}

void ToggleIndicator(cairo_t* cr, bool radio, bool checked, State s)
{
    const Colour border = s == State::Hover ? kAmber : Rgb(0x1C5180);
    const Colour top = s == State::Press ? Rgb(0xB0B7C4) : kWhite;
    const Colour bottom = s == State::Press ? Rgb(0xD6DBE5) : Rgb(0xE8E8E0);
    if (radio) {
        cairo_arc(cr, 6.5, 6.5, 6, 0, 2 * M_PI);
    } else {
        cairo_rectangle(cr, 0.5, 0.5, 12, 12);
    }
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, 13);
    cairo_pattern_add_color_stop_rgb(fill, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    SetColour(cr, border);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (!checked)
        return;
    SetColour(cr, kGreen);
    if (radio) {
        cairo_arc(cr, 6.5, 6.5, 2.8, 0, 2 * M_PI);
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, 3, 6.5);
        cairo_line_to(cr, 5.5, 9.5);
        cairo_line_to(cr, 10, 3.5);
        cairo_stroke(cr);
    }
}

void PanelHead(cairo_t* cr, int w, int h, const char* title, bool expanded, State s)
{
    FillVertical(cr, 0, 0, w, h, InState(Rgb(0x4F8A3C), s), InState(Rgb(0x2F6B2A), s));
    Text(cr, title, 12, h / 2.0 + 5, 13, kWhite, true);
    // The chevron points the way the panel will move.
    const double cx = w - 22;
    const double cy = h / 2.0;
    cairo_arc(cr, cx, cy, 9, 0, 2 * M_PI);
    SetColour(cr, kWhite, 0.85);
    cairo_fill(cr);
    SetColour(cr, Rgb(0x2F6B2A));
    cairo_set_line_width(cr, 2);
    const double d = expanded ? -1 : 1;
    cairo_move_to(cr, cx - 4, cy - 2 * d);
    cairo_line_to(cr, cx, cy + 2 * d);
    cairo_line_to(cr, cx + 4, cy - 2 * d);
    cairo_stroke(cr);
}

void PanelRow(cairo_t* cr, int w, int h, const Operation& op, State s)
{
    FillVertical(cr, 0, 0, w, h, Rgb(0x6FAE5B), Rgb(0x5C9C4A));
    if (s == State::Hover || s == State::Press) {
        RoundedRect(cr, 4, 3, w - 8, h - 6, 5);
        SetColour(cr, kWhite, s == State::Hover ? 0.3 : 0.5);
        cairo_fill(cr);
    }
    const double dx = s == State::Press ? 1 : 0;
    DrawGlyph(cr, op.glyph, 24 + dx, h / 2.0 + dx, 26, s);
    Text(cr, op.label, 46 + dx, h / 2.0 + 5 + dx, 13, s == State::Disable ? Rgb(0xC9D9C2) : kWhite, true);
}

void NavButton(cairo_t* cr, int w, int h, const Operation& op, State s)
{
    if (s == State::Hover || s == State::Press) {
        RoundedRect(cr, 1, 1, w - 2, h - 2, 5);
        SetColour(cr, s == State::Hover ? Rgb(0xFDF3D7) : Rgb(0xF7DFA0));
        cairo_fill_preserve(cr);
        SetColour(cr, kAmber);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    const double dx = s == State::Press ? 1 : 0;
    DrawGlyph(cr, op.glyph, w / 2.0 + dx, 21 + dx, 30, s);
    TextCentred(cr, op.label, w / 2.0 + dx, h - 7 + dx, 10, s == State::Disable ? kGrey : kInk);
}

void StartCard(cairo_t* cr, int w, int h, const Operation& op, State s)
{
    RoundedRect(cr, 2, 2, w - 4, h - 4, 12);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, h);
    const Colour top = InState(Rgb(0xF7FAFF), s);
    const Colour bottom = InState(Rgb(0xD5E3F7), s);
    cairo_pattern_add_color_stop_rgb(fill, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    SetColour(cr, s == State::Hover ? kAmber : InState(kFrame, s));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    const double dx = s == State::Press ? 2 : 0;
    DrawGlyph(cr, op.glyph, w / 2.0 + dx, h * 0.42 + dx, h * 0.5, s);
    TextCentred(cr, op.label, w / 2.0 + dx, h - 18 + dx, 16, s == State::Disable ? kGrey : kNavy, true);
}

void Banner(cairo_t* cr, int w, int h, Colour top, Colour bottom)
{
    FillVertical(cr, 0, 0, w, h, top, bottom);
}

void LeftPicture(cairo_t* cr, int w, int h, Glyph glyph)
{
    FillVertical(cr, 0, 0, w, h, kBlue, kNavy);
    // A large, faint symbol of the wizard and a light band.
    cairo_push_group(cr);
    DrawGlyph(cr, glyph, w / 2.0, h * 0.62, w * 0.8);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, 0.35);
    SetColour(cr, kWhite, 0.12);
    cairo_rectangle(cr, 0, h * 0.18, w, 3);
    cairo_fill(cr);
}

void WaitBox(cairo_t* cr, int w, int h, Glyph glyph, const char* text)
{
    FillVertical(cr, 0, 0, w, h, kWhite, kMist);
    SetColour(cr, kFrame);
    cairo_set_line_width(cr, 2);
    cairo_rectangle(cr, 1, 1, w - 2, h - 2);
    cairo_stroke(cr);
    DrawGlyph(cr, glyph, 42, h / 2.0, 44);
    Text(cr, text, 80, h / 2.0 + 5, 14, kNavy, true);
}

void ScrollArrow(cairo_t* cr, int w, int h, double angle, bool active)
{
    RoundedRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
    SetColour(cr, active ? Rgb(0xC5D6F7) : Rgb(0xE1EAFE));
    cairo_fill_preserve(cr);
    SetColour(cr, kFrame);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_rotate(cr, angle);
    SetColour(cr, active ? kNavy : Rgb(0x4D6185));
    cairo_move_to(cr, -4, 2);
    cairo_line_to(cr, 0, -2);
    cairo_line_to(cr, 4, 2);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void ComboArrow(cairo_t* cr, int w, int h, bool hover)
{
    ScrollArrow(cr, w, h, M_PI, hover);
}

void Title(cairo_t* cr, int w, int h, double size)
{
    (void)w;
    Text(cr, "Zendrel Kivra Backup", 8, h / 2.0 + size / 2.5, size, kNavy, true);
}

void Link(cairo_t* cr, int w, int h, State s)
{
    (void)w;
    const Colour c = s == State::Hover ? kAmber : (s == State::Press ? kNavy : kBlue);
    Text(cr, "Online support", 4, h / 2.0 + 4, 12, c, false);
    if (s != State::Normal) {
        SetColour(cr, c);
        cairo_rectangle(cr, 4, h / 2.0 + 6, 86, 1);
        cairo_fill(cr);
    }
}

// Each swatch in the colour the disk map's blocks give that kind of partition.
void Legend(cairo_t* cr, int w, int h)
{
    (void)w;
    for (const LegendSwatch& swatch : PartitionLegendSwatches()) {
        BlockShades shades{};
        BlockShadesOf(swatch.wholeDisk, swatch.unallocated, swatch.kind, shades);
        cairo_set_source_rgb(cr, shades.dark.r / 255.0, shades.dark.g / 255.0, shades.dark.b / 255.0);
        cairo_rectangle(cr, swatch.x, 2, h - 4, h - 4);
        cairo_fill(cr);
        Text(cr, swatch.label, swatch.x + h, h - 4, 11, kInk);
    }
}

void BarEnd(cairo_t* cr, int w, int h, bool left)
{
    SetColour(cr, kNavy);
    cairo_rectangle(cr, left ? 0 : 1, 0, w - 1, h);
    cairo_fill(cr);
    SetColour(cr, kWhite, 0.4);
    cairo_rectangle(cr, left ? 1 : 2, 1, 1, h - 2);
    cairo_fill(cr);
}

void Glyphed(cairo_t* cr, int w, int h, Glyph glyph)
{
    DrawGlyph(cr, glyph, w / 2.0, h / 2.0, std::fmin(w, h));
}

std::vector<PictureEntry> Build()
{
    std::vector<PictureEntry> all;
    auto add = [&](std::string name, int w, int h, std::function<void(cairo_t*, int, int)> paint) {
        all.push_back({std::move(name), w, h, std::move(paint)});
    };
    auto glyph = [&](std::string name, int size, Glyph g) {
        add(std::move(name), size, size, [g](cairo_t* cr, int w, int h) { Glyphed(cr, w, h, g); });
    };

    // Push buttons, check and radio buttons, progress blocks.
    add("btn_normal.png", 68, 24, [](cairo_t* cr, int w, int h) { PushButtonFace(cr, w, h, false); });
    add("btn_down.png", 68, 24, [](cairo_t* cr, int w, int h) { PushButtonFace(cr, w, h, true); });
    const StateName pointerStates[] = {{State::Normal, "normal"}, {State::Hover, "hover"}, {State::Press, "press"}};
    for (bool radio : {false, true})
        for (bool checked : {false, true})
            for (const StateName& st : pointerStates)
                add(std::string(radio ? "radio_" : "check_") + (checked ? "checked_" : "") + st.suffix + ".png", 13, 13,
                    [=](cairo_t* cr, int, int) { ToggleIndicator(cr, radio, checked, st.state); });
    add("Pro.png", 8, 18, [](cairo_t* cr, int w, int h) {
        FillVertical(cr, 0, 0, w, h, Rgb(0x9BE08A), Rgb(0x2E9A3E));
        SetColour(cr, kWhite, 0.35);
        cairo_rectangle(cr, 1, 1, w - 2, 3);
        cairo_fill(cr);
    });

    // Message box pictures and small symbols.
    glyph("information.png", 32, Glyph::Information);
    glyph("warnIcon.png", 32, Glyph::Warning);
    glyph("questionIcon.png", 32, Glyph::Question);
    glyph("errorIcon.png", 32, Glyph::Error);
    glyph("Right.PNG", 32, Glyph::Success);
    glyph("warnIcon_small.png", 16, Glyph::Warning);
    glyph("main.png", 32, Glyph::App);
    glyph("smalllog.png", 56, Glyph::App);
    add("RVD-icon-32x32.png", 32, 32, [](cairo_t* cr, int w, int h) {
        DrawGlyph(cr, Glyph::File, w / 2.0, h / 2.0, w);
        DrawGlyph(cr, Glyph::Disk, w / 2.0, h * 0.62, w * 0.55);
    });
    glyph("disk-16x16.png", 16, Glyph::Disk);
    glyph("second-help-icon-24x24.png", 24, Glyph::Help);

    // The volume explorer's rows.
    glyph("FileOpen.png", 16, Glyph::FolderOpen);
    glyph("FileColse.png", 16, Glyph::FolderClosed);
    glyph("CDRow.png", 16, Glyph::Optical);
    glyph("Disk.png", 16, Glyph::Volume);
    glyph("MyCputer.png", 16, Glyph::Computer);
    glyph("file.png", 16, Glyph::File);

    // Combo box and scroll bar arrows.
    add("CBbtn_normal.png", 16, 16, [](cairo_t* cr, int w, int h) { ComboArrow(cr, w, h, false); });
    add("CBbtn_hover.png", 16, 16, [](cairo_t* cr, int w, int h) { ComboArrow(cr, w, h, true); });
    const struct {
        const char* name;
        double angle;
    } arrows[] = {{"up", 0}, {"down", M_PI}, {"left", -M_PI / 2}, {"right", M_PI / 2}};
    for (const auto& a : arrows)
        for (bool active : {false, true})
            add(std::string("scroll_") + a.name + (active ? "_active.png" : "_normal.png"), 17, 17,
                [=](cairo_t* cr, int w, int h) { ScrollArrow(cr, w, h, a.angle, active); });

    // Side bar: panel heads, rows and the footer.
    const StateName headStates[] = {{State::Normal, "normal"}, {State::Hover, "hover"}, {State::Press, "press"}};
    for (const StateName& st : headStates) {
        add(std::string("up_") + st.suffix + ".png", 211, 39,
            [=](cairo_t* cr, int w, int h) { PanelHead(cr, w, h, "Operations", true, st.state); });
        add(std::string("down_") + st.suffix + ".png", 211, 39,
            [=](cairo_t* cr, int w, int h) { PanelHead(cr, w, h, "Operations", false, st.state); });
    }
    const StateName clickStates[] = {{State::Normal, "normal"}, {State::Hover, "hover"}, {State::Press, "click"}};
    for (const StateName& st : clickStates) {
        add(std::string("menu-help-up-") + st.suffix + ".png", 211, 39,
            [=](cairo_t* cr, int w, int h) { PanelHead(cr, w, h, "Help", true, st.state); });
        add(std::string("menu-help-down-") + st.suffix + ".png", 211, 39,
            [=](cairo_t* cr, int w, int h) { PanelHead(cr, w, h, "Help", false, st.state); });
    }
    static const Operation contents = {"contents", "Contents", Glyph::Contents};
    for (const Operation* op : {&kOperations[2], &kOperations[5], &kOperations[6], &contents})
        for (const StateName& st : clickStates)
            add(std::string("menu-") + op->name + "-" + st.suffix + ".png", 210, 39,
                [=](cairo_t* cr, int w, int h) { PanelRow(cr, w, h, *op, st.state); });
    for (const Operation* op : {&kOperations[0], &kOperations[1], &kOperations[3], &kOperations[4]})
        add(std::string("menu-") + op->name + "-disable.png", 210, 39,
            [=](cairo_t* cr, int w, int h) { PanelRow(cr, w, h, *op, State::Disable); });
    add("footer.png", 211, 15, [](cairo_t* cr, int w, int h) {
        FillVertical(cr, 0, 0, w, h, Rgb(0x5C9C4A), Rgb(0x3F7D33));
    });

    // Tool bar.
    const StateName navStates[] = {
        {State::Normal, "normal"}, {State::Hover, "hover"}, {State::Press, "click"}, {State::Disable, "disable"}};
    for (const Operation& op : kOperations)
        for (const StateName& st : navStates)
            add(std::string("nav-") + op.name + "-" + st.suffix + ".png", 64, 56,
                [=](cairo_t* cr, int w, int h) { NavButton(cr, w, h, op, st.state); });
    add("toolbarlog.png", 850, 60, [](cairo_t* cr, int w, int h) { Banner(cr, w, h, kWhite, kMist); });

    // Main window: start page cards, logos, the link at the end of the menu bar.
    for (const Operation* op : {&kOperations[4], &kOperations[5], &kOperations[6]})
        for (const StateName& st : clickStates)
            add(std::string(op->name) + "_" + st.suffix + ".png", 180, 140,
                [=](cairo_t* cr, int w, int h) { StartCard(cr, w, h, *op, st.state); });
    add("backup_disable.png", 180, 140,
        [](cairo_t* cr, int w, int h) { StartCard(cr, w, h, kOperations[4], State::Disable); });
    add("mainlog.png", 420, 90, [](cairo_t* cr, int w, int h) {
        DrawGlyph(cr, Glyph::App, 45, h / 2.0, 64);
        Text(cr, "Zendrel Kivra Backup", 90, h / 2.0 + 2, 24, kNavy, true);
        Text(cr, "Recovery console", 92, h / 2.0 + 22, 13, kBlue);
        (void)w;
    });
    add("namelog.png", 180, 28, [](cairo_t* cr, int w, int h) { Title(cr, w, h, 13); });
    const StateName linkStates[] = {{State::Normal, "normal"}, {State::Hover, "hover"}, {State::Press, "click"}};
    for (const StateName& st : linkStates)
        add(std::string("web-address-") + st.suffix + ".png", 140, 22,
            [=](cairo_t* cr, int w, int h) { Link(cr, w, h, st.state); });

    // Splash, scan and wait windows.
    add("rv_linux_start.png", 400, 200, [](cairo_t* cr, int w, int h) {
        Banner(cr, w, h, kBlue, kNavy);
        DrawGlyph(cr, Glyph::App, 70, 95, 90);
        Text(cr, "Zendrel Kivra Backup", 128, 95, 19, kWhite, true);
        Text(cr, "Starting the recovery console...", 129, 120, 12, kSky);
    });
    add("StartBottom.PNG", 400, 30, [](cairo_t* cr, int w, int h) { Banner(cr, w, h, kNavy, Rgb(0x1B2F5E)); });
    add("scan_sys_info.png", 360, 80,
        [](cairo_t* cr, int w, int h) { WaitBox(cr, w, h, Glyph::Computer, "Scanning system information..."); });
    add("wait-mount.PNG", 360, 80,
        [](cairo_t* cr, int w, int h) { WaitBox(cr, w, h, Glyph::Mount, "Mounting, please wait..."); });
    add("wait-unmount.PNG", 360, 80,
        [](cairo_t* cr, int w, int h) { WaitBox(cr, w, h, Glyph::Unmount, "Unmounting, please wait..."); });

    // Wizards.
    add("wizard_head_bg.png", 100, 70, [](cairo_t* cr, int w, int h) { Banner(cr, w, h, kBlue, kNavy); });
    add("wizard_head_bg_new.png", 640, 72, [](cairo_t* cr, int w, int h) { Banner(cr, w, h, kBlue, kNavy); });
    glyph("restore-wizard.png", 64, Glyph::Restore);
    glyph("chkimg_dlg_head.png", 64, Glyph::Check);
    glyph("second-clonedisk-icon.png", 64, Glyph::Clone);
    add("second-left-bg-restore.png", 164, 378,
        [](cairo_t* cr, int w, int h) { LeftPicture(cr, w, h, Glyph::Restore); });
    add("second-left-bg-checkimage.png", 164, 378,
        [](cairo_t* cr, int w, int h) { LeftPicture(cr, w, h, Glyph::Check); });
    add("second-left-bg-clone.png", 205, 378, [](cairo_t* cr, int w, int h) { LeftPicture(cr, w, h, Glyph::Clone); });
    add("partition-color.png", 500, 16, Legend);
    add("leftbar.png", 4, 40, [](cairo_t* cr, int w, int h) { BarEnd(cr, w, h, true); });
    add("rightbar.png", 4, 40, [](cairo_t* cr, int w, int h) { BarEnd(cr, w, h, false); });
    return all;
}

} // namespace

const std::vector<LegendSwatch>& PartitionLegendSwatches()
{
    static const std::vector<LegendSwatch> swatches = {
        {"FAT12/16", 0, FILE_SYSTEM_FAT16, false, false},     {"FAT32", 82, FILE_SYSTEM_FAT32, false, false},
        {"NTFS", 150, FILE_SYSTEM_NTFS, false, false},        {"Other", 212, FILE_SYSTEM_OTHER, false, false},
        {"Unallocated", 278, FILE_SYSTEM_OTHER, true, false}, {"GPT/Dynamic", 380, FILE_SYSTEM_OTHER, false, true},
    };
    return swatches;
}

const std::vector<PictureEntry>& PictureCatalog()
{
    static const std::vector<PictureEntry> catalog = Build();
    return catalog;
}

void PaintWindowIcon(cairo_t* cr, int width, int height)
{
    DrawGlyph(cr, Glyph::App, width / 2.0, height / 2.0, std::fmin(width, height));
}
