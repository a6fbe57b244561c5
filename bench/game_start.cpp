// Start of the game to the first frame of its main menu, on the shipped
// data: the 3D screen (Mesa through SDL's offscreen driver) beside the
// software screen as the baseline, in the same run.  Each iteration starts
// the `vorn` program with a driver script that prints a line on the first
// frame the main menu is current; the time is taken when that line arrives
// and the program is then stopped; the intro movie is skipped.  Goal: 3D at
// most 0.5 s.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {
namespace fs = std::filesystem;

constexpr const char* kMarker = "BENCH first menu frame";

// A copy of the data folder with the screen chosen, and the driver.
fs::path PrepareData(const std::string& name, int direct3D)
{
    fs::path root = fs::temp_directory_path() / ("vorn-bench-start-" + name);
    fs::remove_all(root);
    fs::create_directories(root / "home");
    fs::copy(fs::path(VORN_SOURCE_DIR) / "data", root / "data", fs::copy_options::recursive);
    fs::path ini = root / "data" / "Vorn.ini";
    std::ifstream in(ini);
    std::string text, line;
    while (std::getline(in, line)) {
        if (line.rfind("UseDirect3D=", 0) == 0) line = "UseDirect3D=" + std::to_string(direct3D);
        // The intro is a movie of its own length that the player may skip.
        if (line.rfind("SkipIntroMovies=", 0) == 0) line = "SkipIntroMovies=1";
        text += line + "\n";
    }
    in.close();
    std::ofstream(ini) << text;
    std::ofstream(root / "driver.lua") << "function VornDriverFrame()\n"
                                          "    if GetCurRoomName() == 'MainMenu' then print('"
                                       << kMarker << "') end\nend\n";
    return root;
}

// Seconds from the start of the program to its marker line; negative when
// the program ended without printing it.
double TimeToFirstMenuFrame(const fs::path& root, const char* videoDriver)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addchdir_np(&actions, (root / "data").c_str());
    std::vector<std::string> env = {"SDL_VIDEODRIVER=" + std::string(videoDriver), "SDL_AUDIODRIVER=dummy",
                                    "VORN_LOCK_NAMESPACE=bench-start", "XDG_DATA_HOME=" + (root / "home").string(),
                                    "XDG_CONFIG_HOME=" + (root / "home").string(),
                                    "VORN_DRIVER=" + (root / "driver.lua").string()};
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (entry.rfind("SDL_", 0) != 0 && entry.rfind("XDG_", 0) != 0 && entry.rfind("VORN_", 0) != 0)
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string stdbuf = "/usr/bin/stdbuf", lineMode = "-oL", program = VORN_EXE;
    char* argv[] = {stdbuf.data(), lineMode.data(), program.data(), nullptr};

    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return -1;
    }
    double seconds = -1;
    FILE* out = fdopen(pipeFds[0], "r");
    char line[1024];
    while (out && std::fgets(line, sizeof line, out)) {
        if (std::string(line).find(kMarker) != std::string::npos) {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            break;
        }
    }
    kill(pid, SIGKILL);
    if (out) std::fclose(out);
    int status = 0;
    waitpid(pid, &status, 0);
    return seconds;
}

void Run(benchmark::State& state, const char* name, int direct3D, const char* videoDriver)
{
    fs::path root = PrepareData(name, direct3D);
    for (auto _ : state) {
        double seconds = TimeToFirstMenuFrame(root, videoDriver);
        if (seconds < 0) {
            state.SkipWithError("the game ended before the main menu's first frame");
            break;
        }
        state.SetIterationTime(seconds);
    }
    fs::remove_all(root);
}

void BM_StartToMainMenu_SoftwareScreen(benchmark::State& state) { Run(state, "software", 0, "dummy"); }
void BM_StartToMainMenu_3DScreen(benchmark::State& state) { Run(state, "3d", 2, "offscreen"); }
}  // namespace

BENCHMARK(BM_StartToMainMenu_SoftwareScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartToMainMenu_3DScreen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
