// Names that other programs and the installation share with the launcher.
// Each is fixed from outside (the file-repair tool, the installer, running
// launchers): keep them exactly as they are.  Neutral, so that tests that
// drive the real program use the same names.
#pragma once

// The file-repair tool's mutex: while it exists the launcher does not start.
constexpr char kFileCheckerMutexName[] = "Quorl File Checker Mutex";
// The launcher's own mutex, created at start-up and never probed.
constexpr char kLauncherMutexName[] = "Quorl Pather Mutex";
// The main frame's window class.
constexpr char kMainFrameClassName[] = "Quorl Pather MainFrame";
// The skin beside the program.
constexpr char kSkinFileName[] = "QuorlLnchr.rdl";
