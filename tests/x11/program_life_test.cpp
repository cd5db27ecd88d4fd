// The program's life around the gesture: its arguments, one instance per
// display, a window manager that restarts, and an X server that goes away.
#include "harness/desktop_test.h"
#include "input_helpers.h"

#include <fstream>
#include <regex>
#include <sys/wait.h>

namespace vx::test {
namespace {

std::optional<CommandResult> runProgram(const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& env) {
    std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1", VORTAXIS_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return run(argv, env, deadlineIn(kWait));
}

TEST(ProgramArguments, HelpAndVersionNeedNoDisplayAndUnknownArgumentsAreRefused) {
    const std::vector<std::string> noDisplay{"DISPLAY="};
    auto help = runProgram({"--help"}, noDisplay);
    ASSERT_TRUE(help);
    EXPECT_EQ(help->exitCode, 0);
    EXPECT_NE(help->output.find("--verbose"), std::string::npos) << help->output;

    auto version = runProgram({"--version"}, noDisplay);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->exitCode, 0);
    EXPECT_EQ(version->output, std::string("vortaxis ") + VORTAXIS_VERSION + "\n");

    auto wrong = runProgram({"--frobnicate"}, noDisplay);
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->exitCode, 2);
    EXPECT_NE(wrong->output.find("--frobnicate"), std::string::npos);

    auto nowhere = runProgram({}, noDisplay);
    ASSERT_TRUE(nowhere);
    EXPECT_EQ(nowhere->exitCode, 1) << nowhere->output;
    EXPECT_NE(nowhere->output.find("DISPLAY"), std::string::npos) << nowhere->output;
}

class ProgramLife : public DesktopTest {
protected:
    std::optional<Process> startProgram() {
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" --verbose 2>&1",
                                      VORTAXIS_PROGRAM};
        SpawnOptions options;
        options.env = desktop().env();
        options.captureStdout = true;
        return Process::spawn(argv, options);
    }
    static bool waitForLine(Process& p, const std::string& pattern, std::string* seen = nullptr) {
        const std::regex re(pattern);
        const auto deadline = deadlineIn(kWait);
        while (auto line = p.readLine(deadline)) {
            if (seen)
                *seen += *line + "\n";
            if (std::regex_search(*line, re))
                return true;
        }
        return false;
    }
    bool settingsWindowShown() {
        auto found = desktop().tool({"xwininfo", "-name", "Vortaxis"});
        return found && found->exitCode == 0 &&
               found->output.find("IsViewable") != std::string::npos;
    }
};

TEST_F(ProgramLife, ASecondStartOpensTheFirstOnesSettingsAndLeaves) {
    auto first = startProgram();
    ASSERT_TRUE(first);
    ASSERT_TRUE(waitForLine(*first, "^status: "));
    EXPECT_FALSE(settingsWindowShown()) << "no window at launch";

    auto second = runProgram({}, desktop().env());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->exitCode, 0) << second->output;
    EXPECT_TRUE(desktop().waitUntil([&] { return settingsWindowShown(); }));
    EXPECT_TRUE(first->running());
}

TEST_F(ProgramLife, SurvivesAWindowManagerRestart) {
    auto program = startProgram();
    ASSERT_TRUE(program);
    ASSERT_TRUE(waitForLine(*program, "^status: Ready"));
    auto term = desktop().launch({"xterm", "-geometry", "80x24+100+100"});
    ASSERT_TRUE(term);
    desktop().stopWindowManager();
    ASSERT_TRUE(desktop().startWindowManager("openbox"));
    // The new manager adopts the xterm; give it the focus again.
    ASSERT_TRUE(desktop().waitUntil([&] { return desktop().isManagedAndShown(term->window); }));
    auto activate = desktop().tool({"wmctrl", "-i", "-a", std::to_string(term->window)});
    ASSERT_TRUE(activate && activate->exitCode == 0);

    std::string seen;
    fakeMotion(desktop().conn(), 640, 512);
    fakeKey(desktop().conn(), 29, true);
    ASSERT_TRUE(waitForLine(*program, "^status: (Aim|Screen)", &seen)) << seen;
    fakeMotion(desktop().conn(), 500, 512);
    ASSERT_TRUE(waitForLine(*program, "^aim: Left half", &seen)) << seen;
    fakeKey(desktop().conn(), 29, false);
    EXPECT_TRUE(waitForLine(*program, "^status: Snapped", &seen)) << seen;
}

TEST_F(ProgramLife, LosingTheXServerEndsTheProgramWithAMessageAndAnErrorStatus) {
    auto program = startProgram();
    ASSERT_TRUE(program);
    ASSERT_TRUE(waitForLine(*program, "^status: Ready"));
    desktop_.reset(); // the server, the window manager and all clients go

    auto output = program->readAll(deadlineIn(kWait));
    auto status = program->wait(deadlineIn(kWait));
    ASSERT_TRUE(status) << "still running without its X server";
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_NE(WEXITSTATUS(*status), 0);
    ASSERT_TRUE(output);
    // Whichever of our two connections (the toolkit's or our own) notices first says so.
    EXPECT_TRUE(std::regex_search(*output, std::regex("X11 connection broke|lost the X server")))
        << *output;
}

TEST_F(ProgramLife, TheProbeWritesItsReportAndExitsWithoutStartingTheProgram) {
    auto env = desktop().env();
    env.push_back("XDG_RUNTIME_DIR=" + desktop().tempDir());
    auto probe = runProgram({"--probe-wechat"}, env);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->exitCode, 0) << probe->output;
    std::ifstream report(desktop().tempDir() + "/vortaxis-wechat-probe.txt");
    ASSERT_TRUE(report) << probe->output;
    std::string text((std::istreambuf_iterator<char>(report)), {});
    EXPECT_FALSE(text.empty());
    EXPECT_NE(probe->output.find(text.substr(0, text.find('\n'))), std::string::npos)
        << "the report is printed as well";
    EXPECT_FALSE(settingsWindowShown());
}

class ProgramWithoutWindowManager : public ProgramLife {
    DesktopOptions options() const override {
        DesktopOptions o;
        o.windowManager.clear();
        return o;
    }
};

TEST_F(ProgramWithoutWindowManager, SaysWhatIsMissingAndAsksWhenTheTriggerIsHeld) {
    auto program = startProgram();
    ASSERT_TRUE(program);
    std::string seen;
    ASSERT_TRUE(waitForLine(*program, "^status: Accessibility required$", &seen)) << seen;
    fakeKey(desktop().conn(), 29, true);
    EXPECT_TRUE(waitForLine(*program, "^status: Grant Accessibility to use ⌃$", &seen)) << seen;
    fakeKey(desktop().conn(), 29, false);
}

} // namespace
} // namespace vx::test
