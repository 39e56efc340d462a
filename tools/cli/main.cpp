// tarnwick_cli: the command line, read with CLI11. Every command has its own
// --help; --help and --version work at the top. A refusal names the bad
// argument and exits 2; a failed run or expectation exits 1.
#include <CLI/CLI.hpp>

#include <iostream>

#include "tools/cli/cli.h"

#ifndef TW_VERSION
#define TW_VERSION "unknown"
#endif

namespace twcli {

namespace {

constexpr const char* Program = "tarnwick_cli";

const char* TopFooter = R"(
Each command has its own --help. Examples:
  tarnwick_cli show N2E2 --ticks 300
  tarnwick_cli click BATTERYSW 10 50
  tarnwick_cli --json tooltip EGT1 100 100 --var 567=600
  tarnwick_cli run scenarios/cold_and_dark.scn
)";

// The options every gauge command takes.
void addPanelOptions(CLI::App* c, Options& o) {
    c->add_option("--var", o.var_texts, "a host variable before anything runs (repeatable)")
        ->type_name("ID=VALUE");
    c->add_option("--calc", o.calc_texts,
                  "what the host's calculator gives for an expression (repeatable; the value "
                  "follows the last '=')")
        ->type_name("EXPR=VALUE");
    c->add_option("--param", o.param, "the gauge's parameter string")->type_name("TEXT");
    c->add_option("--frames", o.frames, "frames after the command's action (default 1)")
        ->check(CLI::Range(0, 1000000))
        ->type_name("N");
    c->add_option_function<int>(
         "--ticks",
         [&o](const int& n) {
             o.ticks = n;
             o.ticks_given = true;
         },
         "periods of the systems timer, each with a frame, before the frames (FLOOD_SW goes on "
         "the panel too)")
        ->check(CLI::Range(0, 10000000))
        ->type_name("N");
    c->add_option_function<double>(
         "--time-of-day", [&o](const double& s) { o.time_of_day = s; },
         "the host's time of day (variable 557) starts at S seconds and runs with the ticks")
        ->check(CLI::Range(-1e12, 1e12))
        ->type_name("S");
    c->add_option("--with", o.with, "another gauge on the panel (repeatable)")->type_name("GAUGE");
    c->add_option("--at", o.at_words,
                  "a left press at a point of GAUGE (placed too) once TICK of the --ticks periods "
                  "have run (repeatable)")
        ->type_size(4)
        ->type_name("TICK GAUGE X Y");
    c->add_option("--storm", o.storm_texts,
                  "a storm cell of the weather field the offset service answers from (repeatable)")
        ->type_name("LAT,LON,RADIUS_NM,TOP_M,KIND,AMOUNT,INTENSITY");
    c->add_option("--ground", o.ground_texts, "a ground area of the weather field (repeatable)")
        ->type_name("LAT,LON,RADIUS_NM,ELEVATION_M");
    c->add_option("--radar-range", o.radar_range,
                  "radartc on the panel, its range selector at N (0 off, 1 range lines, 2, 3, 4 "
                  "weather at 20, 50, 150 nm)")
        ->check(CLI::Range(0, 4))
        ->type_name("N");
}

void addModuleOptions(CLI::App* c, Options& o) {
    c->add_option("--module", o.module,
                  "another build of the module (on 32-bit Linux also the shipping Windows DLL)")
        ->type_name("PATH");
    c->add_flag("--json", o.json, "JSON instead of text");
}

void addPoint(CLI::App* c, Options& o) {
    c->add_option("X Y", o.coordinates, "a point of the gauge, in its pixels")
        ->required()
        ->expected(2)
        ->check(CLI::Range(-100000, 100000));
}

CLI::App* addGaugeCommand(CLI::App& app, const char* name, const char* what, Options& o) {
    CLI::App* c = app.add_subcommand(name, what);
    c->add_option("GAUGE", o.gauge, "the gauge's name, as the panel configuration gives it")
        ->required();
    addPanelOptions(c, o);
    addModuleOptions(c, o);
    return c;
}

int run(int argc, char** argv) {
    Options o;
    std::string top_module;
    bool top_json = false;
    CLI::App app{"The tarnwick gauge module on the bundled host.", Program};
    // Paths start with '/' on Linux and under Wine: never options, on every
    // platform (set first, as subcommands take it from their parent).
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string(Program) + " " + TW_VERSION);
    app.require_subcommand(1);
    app.add_option("--module", top_module, "another build of the module")->type_name("PATH");
    app.add_flag("--json", top_json, "JSON instead of text");

    CLI::App* list = app.add_subcommand(
        "list", "the gauges with their widths, element and mouse-area counts and tooltips");
    addPanelOptions(list, o);
    addModuleOptions(list, o);
    CLI::App* show = addGaugeCommand(
        app, "show", "one gauge's draw state after its frames (with --ticks, first the events)", o);
    CLI::App* click =
        addGaugeCommand(app, "click", "a left press at a point, then the frames: the events", o);
    addPoint(click, o);
    CLI::App* drag = addGaugeCommand(
        app, "drag",
        "a left press at (X,Y), the pointer dragged through the other points (anywhere), the "
        "release, then the frames",
        o);
    drag->add_option("X Y X2 Y2", o.coordinates, "the press, then the path")
        ->required()
        ->expected(4, 1 << 20)
        ->check(CLI::Range(-100000, 100000));
    CLI::App* tooltip = addGaugeCommand(app, "tooltip", "the tooltip at a point", o);
    addPoint(tooltip, o);
    CLI::App* render =
        addGaugeCommand(app, "render", "a picture of the gauge after its frames (PNG)", o);
    render->add_option("--out", o.out, "the picture's file")->required()->type_name("FILE.png");
    render->add_option("--click", o.click_texts, "a left press before the frames (repeatable)")
        ->type_name("X,Y");
    CLI::App* render_panel =
        app.add_subcommand("render-panel", "a picture of a whole panel configuration (PNG)");
    render_panel->add_option("PANEL.cfg", o.panel_file, "the panel configuration")->required();
    render_panel->add_option("--out", o.out, "the picture's file")
        ->required()
        ->type_name("FILE.png");
    render_panel
        ->add_option("--window", o.window,
                     "only the N-th window (1 the first, as the simulator's keys number them)")
        ->check(CLI::Range(1, 99))
        ->type_name("N");
    render_panel
        ->add_option("--art", o.art_folder,
                     "the folder of the windows' background bitmaps (default: the "
                     "configuration's folder, then resources/ and Panel/ beside the "
                     "module)")
        ->type_name("DIR");
    render_panel->add_flag("--sheet", o.sheet,
                           "a contact sheet instead: every gauge of the module at its own size "
                           "and, where the configuration places it, at the panel's");
    render_panel->add_option("--columns", o.columns, "gauges to a row of the sheet (default 6)")
        ->check(CLI::Range(1, 64))
        ->type_name("N");
    addPanelOptions(render_panel, o);
    addModuleOptions(render_panel, o);
    CLI::App* radar = app.add_subcommand(
        "radar",
        "the weather radar on over a weather field: the fan of 71 cells after the ticks (80 "
        "unless given; --json: the display's draw state)");
    radar->add_option("--every", o.every, "the fan also every K ticks")
        ->check(CLI::Range(1, 10000000))
        ->type_name("K");
    addPanelOptions(radar, o);
    addModuleOptions(radar, o);
    CLI::App* run = app.add_subcommand(
        "run",
        "a scenario: each step and its result (--json: a trace); exit status 0 only when every "
        "expectation held");
    run->add_option("FILE", o.scenario_file, "the scenario, one step a line")->required();
    addModuleOptions(run, o);
    run->footer(R"(
Steps: gauge NAME ["PARAMETERS"] | set ID VALUE | calc "EXPR" VALUE |
  click GAUGE X Y [times N] | drag GAUGE X Y X2 Y2 [X3 Y3]... | frames N |
  ticks N | counts N | time-of-day SECONDS | weather storm|ground|clear|answers ... |
  render [GAUGE] FILE.png | expect event ID [VALUE] [times N] |
  expect no event ID [VALUE] | expect tooltip GAUGE [X Y] "TEXT" |
  expect var NAME[INDEX] VALUE [within TOL] |
  expect element GAUGE BITMAP[INDEX]|BITMAP@X,Y FIELD [VALUE] [within TOL] |
  expect sound NAME.wav playing|looping|stopped | expect sound NAME.wav plays N
)");

    // Set last: subcommands take their parent's footer when they are made.
    app.footer(TopFooter);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help, --version
    } catch (const CLI::ParseError& e) {
        // A first word that is no command is named as such.
        std::vector<std::string> rest = app.remaining();
        std::string what = app.get_subcommands().empty() && !rest.empty()
                               ? "unknown command '" + rest.front() + "'"
                               : std::string(e.what());
        std::cerr << Program << ": " << what << "\n"
                  << "Run '" << Program << " --help' or '" << Program
                  << " COMMAND --help' for the commands and their options.\n";
        return 2;
    }
    o.json = o.json || top_json;
    if (o.module.empty()) o.module = top_module;
    o.finish();

    if (list->parsed()) return listCommand(o);
    if (show->parsed()) return showCommand(o);
    if (click->parsed()) return clickCommand(o);
    if (drag->parsed()) return dragCommand(o);
    if (tooltip->parsed()) return tooltipCommand(o);
    if (render->parsed()) return renderCommand(o);
    if (render_panel->parsed()) return renderPanelCommand(o);
    if (radar->parsed()) return radarCommand(o);
    return runCommand(o);
}

}  // namespace

}  // namespace twcli

int main(int argc, char** argv) {
    try {
        return twcli::run(argc, argv);
    } catch (const twcli::UsageError& e) {
        std::cerr << twcli::Program << ": " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << twcli::Program << ": " << e.what() << "\n";
        return 1;
    }
}
