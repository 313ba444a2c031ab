/* The four hooks the package installer calls, by name, from libzentrix-setup.so: Install_Init
 * before the package's files are in place and Install_Exit after them; Uninstall_Init before
 * they are removed and Uninstall_Exit after. Every argument is accepted and ignored; every hook
 * answers 0, whatever happened (a failed step is a warning on standard error, never a reason to
 * stop the installer). */
#ifndef ZENTRIX_SETUP_HOOKS_H
#define ZENTRIX_SETUP_HOOKS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/** What an init hook answers: go on with the installation or removal. */
typedef enum SetupInitResult { kSetupContinue = 0 } SetupInitResult;
/** What an exit hook answers: the hook is done. */
typedef enum SetupExitResult { kSetupDone = 0 } SetupExitResult;

/* parentWindow: the installer's window, or null. installFolder: UTF-8 text, or null. */
SetupInitResult Install_Init(void* parentWindow, int firstCall, int previouslyInstalled,
                             const char* installFolder);
SetupExitResult Install_Exit(void* parentWindow, const char* installFolder, uint16_t failedFolders,
                             uint16_t failedFiles, uint16_t failedRegistryKeys,
                             uint16_t failedRegistryValues, uint16_t failedShortcuts);
SetupInitResult Uninstall_Init(void* parentWindow, const char* installFolder);
SetupExitResult Uninstall_Exit(void* parentWindow);

typedef SetupInitResult (*InstallInitHook)(void*, int, int, const char*);
typedef SetupExitResult (*InstallExitHook)(void*, const char*, uint16_t, uint16_t, uint16_t,
                                           uint16_t, uint16_t);
typedef SetupInitResult (*UninstallInitHook)(void*, const char*);
typedef SetupExitResult (*UninstallExitHook)(void*);

#ifdef __cplusplus
}
#endif

#endif
