// FINALE.EXE: the stand-in host on Windows. It plays the application for the Windows module: it loads
// mirelinstrumentchange.fxt with LoadLibraryW, takes the seven entry points with GetProcAddress and exports
// the twenty FX_ functions under their own names, so that the module finds them as in the real application
// (GetModuleHandleA("FINALE.EXE"), or "FINDEMO.EXE" for a copy under that name).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "standin/commands/menu_listing.h"
#include "standin/commands/run_cli.h"
#include "standin/commands/run_command.h"
#include "standin/commands/show_command.h"
#include "standin/host/host.h"
#include "standin/host/module_loader.h"
#include "standin/score/document_builder.h"
#include "standin/windows/host_window.h"
#include "standin/windows/live_platform.h"
#include "standin/windows/scripted_user.h"
#include "standin/windows/wide_text.h"

namespace {

using standin::windows::DialogScript;
using standin::windows::ScriptedUser;

// The folder of the program, with a trailing separator.
std::wstring ProgramFolder() {
    std::wstring self(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) ==
           self.size()) {
        self.resize(self.size() * 2);
    }
    self.resize(length);
    const std::size_t slash = self.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : self.substr(0, slash + 1);
}

// The module built beside the program.
std::string DefaultModulePath() {
    return standin::windows::ToUtf8(ProgramFolder() + L"mirelinstrumentchange.fxt");
}

// The plug-ins folder beside the program, where the application keeps its plug-ins.
std::string DefaultPluginsFolder() {
    return standin::windows::ToUtf8(ProgramFolder() + L"Plug-ins");
}

// The command line as UTF-8 arguments, whatever the code page.
std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(standin::windows::ToUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

std::unique_ptr<standin::LoadedModule> LoadModule(const std::string& path) {
    std::string error;
    auto module = standin::LoadedModule::Load(path, error);
    if (!module) std::fprintf(stderr, "FINALE.EXE: %s\n", error.c_str());
    return module;
}

int Info(const std::string& modulePath) {
    auto module = LoadModule(modulePath);
    if (!module) return 1;
    std::fputs(standin::DescribeModuleMenu(module->Exports(), modulePath).c_str(), stdout);
    return 0;
}

// The module's version block, read the way Windows reads it for the file's properties.
int VersionInfo(const std::string& modulePath) {
    const std::wstring path = standin::windows::FromUtf8(modulePath);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        std::fprintf(stderr, "FINALE.EXE: %s has no version block\n", modulePath.c_str());
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
        fixed != nullptr) {
        const auto quad = [](DWORD high, DWORD low) {
            return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
                   std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
        };
        std::printf("Fixed file version: %s\n", quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str());
        std::printf("Fixed product version: %s\n",
                    quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str());
    }
    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    UINT translationsSize = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &translationsSize) ||
        translationsSize < sizeof(Translation)) {
        std::fprintf(stderr, "FINALE.EXE: no translation in the version block\n");
        return 1;
    }
    wchar_t prefix[64];
    wsprintfW(prefix, L"\\StringFileInfo\\%04x%04x\\", translations->language, translations->codePage);
    for (const wchar_t* name : {L"FileDescription", L"ProductName", L"FileVersion", L"ProductVersion"}) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(prefix) + name;
        if (VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) &&
            value != nullptr) {
            std::printf("%s: %s\n", standin::windows::ToUtf8(name).c_str(),
                        standin::windows::ToUtf8(std::wstring(value)).c_str());
        }
    }
    return 0;
}

// Options of the `invoke` command: a small document made on the spot and the user's answers.
struct InvokeOptions {
    std::string modulePath;
    std::string hostVersion = "0x12050000";
    std::vector<std::string> categories{"Dynamics", "Technique Text", "Tempo Marks", "Expressive Text"};
    std::string category;
    std::optional<std::string> prefix;
    std::optional<std::string> suffix;
    std::string ending = "ok";
    std::string holdFile;
    int repeat = 1;
    bool noCategories = false;
    bool noWindowInfo = false;
};

// The scripted user's script from the options; false, with the reason told, for an ending not known.
bool ScriptOf(const InvokeOptions& options, DialogScript& script) {
    if (!standin::DialogAnswers::ParseEnding(options.ending, script.answers.ending)) {
        std::fprintf(stderr, "FINALE.EXE: --end takes ok, cancel, close, escape, enter or none\n");
        return false;
    }
    if (!options.category.empty()) script.answers.SetCategory(options.category);
    script.answers.prefix = options.prefix;
    script.answers.suffix = options.suffix;
    script.holdFile = options.holdFile;
    return true;
}

// The document of four measures, one staff without instrument changes and the options' expression categories.
void BuildSmallDocument(const InvokeOptions& options, uint32_t hostVersion) {
    standin::StandinHost& host = standin::Host();
    standin::DocumentBuilder builder(host.Doc(), hostVersion);
    builder.AddMeasures(4);
    builder.AddStaff(1, "Flute");
    int16_t id = 0;
    for (const std::string& name : options.noCategories ? std::vector<std::string>() : options.categories) {
        ++id;
        builder.AddCategory({id, id, name, 0, 12, 0});
    }
    host.AddFont(0, "Times New Roman");
}

// Initialises the module, invokes the command on the whole document `repeat` times and terminates it; tells
// what each invocation answered.
void InvokeRepeatedly(const standin::ModuleExports& e, uint32_t hostVersion, HWND parent, int repeat,
                      std::ostream& out) {
    const standin::RegionSpec region{{1, 1, 1, 4, 0, 0x7FFFFFFF}, 0, 0};
    const auto regionRecord = standin::MakeRegionRecord(region);
    e.version(hostVersion);
    uint32_t flags = 0;
    e.init(0, &flags);
    for (int run = 1; run <= repeat; ++run) {
        const uint32_t result = e.invoke(parent, 0, regionRecord.data(), 0);
        out << "invoke " << run << " answered " << result << "\n";
    }
    e.terminate(0);
}

// Runs the menu command on the small document with a scripted user, and reports what the user saw and which
// host functions the module called.
int Invoke(const InvokeOptions& options) {
    uint32_t hostVersion = 0;
    try {
        hostVersion = static_cast<uint32_t>(std::stoul(options.hostVersion, nullptr, 0));
    } catch (const std::exception&) {
        std::fprintf(stderr, "FINALE.EXE: not a host version: %s\n", options.hostVersion.c_str());
        return 2;
    }
    DialogScript script;
    if (!ScriptOf(options, script)) return 2;
    BuildSmallDocument(options, hostVersion);

    standin::StandinHost& host = standin::Host();
    standin::windows::HostWindow window;
    host.SetMainWindow(window.Value());
    host.SetWindowInfoAvailable(!options.noWindowInfo);
    ScriptedUser& user = ScriptedUser::Current();
    user.SetScript(script);
    user.WatchMessageBoxes();

    auto module = LoadModule(options.modulePath);
    if (!module) return 1;
    std::ostringstream out;
    InvokeRepeatedly(module->Exports(), hostVersion, window.Handle(), options.repeat, out);
    out << "main window: 0x" << std::hex << window.Value() << std::dec << "\n";
    out << user.Report();
    out << "host calls:";
    for (const auto& [function, count] : host.Counts().ByName()) out << " " << function << "=" << count;
    out << "\n";
    std::fputs(out.str().c_str(), stdout);
    return 0;
}

// A command that works on the module file alone.
CLI::App* AddModuleCommand(CLI::App& app, const char* name, const char* help, const char* moduleHelp,
                           std::string& modulePath) {
    CLI::App* command = app.add_subcommand(name, help);
    command->add_option("--module", modulePath, moduleHelp)->capture_default_str();
    return command;
}

// The status of a command whose output is all written.
int Flushed(int status) {
    std::cout.flush();
    return status;
}

// The `invoke` command's options.
CLI::App* AddInvokeCommand(CLI::App& app, std::string& modulePath, InvokeOptions& options) {
    CLI::App* invoke = app.add_subcommand(
        "invoke",
        "Run the command on a small built-in document (one staff, four measures, no instrument change) "
        "with a scripted user working the real dialog; report what the user saw and the host calls");
    invoke->add_option("--module", modulePath, "The plug-in module to load")->capture_default_str();
    invoke->add_option("--host-version", options.hostVersion, "Host version passed to the module")
        ->capture_default_str();
    invoke->add_option("--categories", options.categories, "Expression category names, in record order")
        ->delimiter(',');
    invoke->add_option("--category", options.category, "Category to pick: its name, or its entry number");
    invoke->add_option("--prefix", options.prefix, "Text to type into the prefix field");
    invoke->add_option("--suffix", options.suffix, "Text to type into the suffix field");
    invoke
        ->add_option("--end", options.ending,
                     "How the user ends the dialog: ok, cancel, close, escape, "
                     "enter or none")
        ->capture_default_str();
    invoke->add_option("--hold-file", options.holdFile,
                       "Create this file once the input is in and keep the dialog open until it is removed");
    invoke->add_option("--repeat", options.repeat, "Invoke the command this many times")
        ->capture_default_str();
    invoke->add_flag("--no-categories", options.noCategories, "The document has no expression category");
    invoke->add_flag("--no-window-info", options.noWindowInfo, "FX_GetCurrentWindowInfo fails");
    return invoke;
}

}  // namespace

int main() {
    // Output byte for byte as on Linux: UTF-8, line feeds not turned into CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    std::vector<std::string> args = Arguments();
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());

    CLI::App app{
        "FINALE.EXE: the stand-in host on Windows; loads the Mirel Instrument Change module as the "
        "application would"};
    app.require_subcommand(1);
    // Paths under Wine may be Unix paths ("/tmp/score.json"): a leading slash is not an option here.
    app.allow_windows_style_options(false);

    std::string modulePath = DefaultModulePath();
    CLI::App* info = AddModuleCommand(app, "info", "Load the module, list the command it offers, unload it",
                                      "The plug-in module to load", modulePath);
    CLI::App* version = AddModuleCommand(app, "version-info", "Print the module's version block",
                                         "The plug-in module to read", modulePath);

    // `run` and `show` take the same command line as mirel-standin's.
    standin::RunCommandLine runLine(DefaultPluginsFolder());
    CLI::App* runApp =
        runLine.Add(app, modulePath,
                    "Show the real dialog and the message box to a person at the display, who answers them");
    std::string showPath;
    CLI::App* show = standin::AddShowCommand(app, showPath);
    standin::MenuCommandLine menuLine(DefaultPluginsFolder());
    CLI::App* menu = menuLine.Add(app);

    InvokeOptions invokeOptions;
    CLI::App* invoke = AddInvokeCommand(app, modulePath, invokeOptions);

    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : standin::kExitBadInput;
    }

    if (info->parsed()) return Info(modulePath);
    if (version->parsed()) return VersionInfo(modulePath);
    if (show->parsed()) return standin::ShowCommand(showPath, std::cout, std::cerr);
    if (runApp->parsed())
        return Flushed(runLine.Run(standin::windows::MakeLivePlatform, std::cout, std::cerr));
    if (menu->parsed()) return Flushed(menuLine.Run(std::cout, std::cerr));
    if (invoke->parsed()) {
        invokeOptions.modulePath = modulePath;
        return Invoke(invokeOptions);
    }
    return 0;
}
