<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>vortaxis</name>
    <message>
        <source>%1 keeps this window in place.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A new version of Vortaxis is available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aim — release to snap · center to cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another program already uses this trigger as a global shortcut.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>App</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Available — Vortaxis can move windows.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bottom half</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bottom-left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bottom-right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to maximize on the target screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to record a new shortcut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Combo recorded. Click the field again to re-record a new shortcut.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not move or resize the window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t check for updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t create %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t remove %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t write %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl is also held for Ctrl+click and Ctrl+wheel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hold %1 for the menu · click center icon to maximize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hold duration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hold to arrange windows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hotkey</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How long to hold before the menu opens.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KGlobalAccel cannot take this trigger; choose modifiers alone or a letter, digit, space, arrow or function key with modifiers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KGlobalAccel did not take the trigger: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin did not come back; Vortaxis ends.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin did not run Vortaxis's script: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin has stopped; Vortaxis starts again when it is back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin has stopped; Vortaxis waits for it to come back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin is back; windows can be moved again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin is not running in this session: on Wayland, Vortaxis moves windows through KWin's scripting interface.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KWin refused to load Vortaxis's script: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left half</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No movable front window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No screen for layout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No update address is set. Updates come from your package manager.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No window access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No window manager is running. Vortaxis needs one that follows the EWMH standard, such as Openbox, Xfwm4, KWin or Fluxbox.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No window to move</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not arranged · another program holds the keyboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not arranged · another program holds the pointer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not arranged · the screen is locked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Press a key combo, or press/release modifiers only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready · hold %1 · click center to maximize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording… (Esc cancel)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refresh status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Required to read and arrange the frontmost window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right half</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Screen %1/%2 · scroll to switch · aim to snap</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set up window access…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single modifier: click the field, press the key, then release with no other key to record. Esc cancels.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Snapped · %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Snapped · Full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download page could not be opened. Its address is %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The target window is no longer available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update address “%1” is not a secure web address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update server answered with an error (HTTP %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update server could not be reached. Check your connection and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update server did not answer in time. Try again later.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update server named a download address that is not a secure web address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update server sent something that is not update information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The window could not shrink that far; it was kept on the screen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The window manager does not publish %1, which Vortaxis needs to find and move windows.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The window manager keeps this window in place.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no session bus, so Vortaxis cannot reach KWin.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This is a Wayland session: Vortaxis can move windows only in an X11 session. Log in to an X11 session to use it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Top half</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Top-left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Top-right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trigger delay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: vortaxis [--verbose] [--display NAME]
Hold the trigger (Control by default), aim, release: the front window
snaps into that half or quarter of the monitor.

  --verbose       write every status and aim change as one line on stderr
  --display NAME  the X display to use (default: $DISPLAY)
  --probe-wechat  write a window diagnostic report and exit
  --version       print the version and exit
  --help          print this text and exit
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis %1 is available — you have %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis %1 is the newest version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis cannot arrange windows here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis cannot arrange windows here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis cannot arrange windows here: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis cannot offer its D-Bus object to KWin's script.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis cannot write its KWin script: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis cannot write its KWin script: no temporary folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis has no X11 display to work on.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Vortaxis's KWin script has not reported yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window access was lost: Vortaxis cannot move windows here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window no longer available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You’re up to date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>already running; asked it to open its settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>another Vortaxis holds %1 but does not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>before menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot make sure only one Vortaxis runs: no lock file %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot watch for a second start: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lost the X server (%1); exiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no X display (DISPLAY is not set)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the menu will take the keyboard focus while it is open (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown argument: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>v%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>v%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
