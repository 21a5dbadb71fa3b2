// The resources the package's custom-action DLL carries.
#pragma once

// The per-user agent, which the uninstall leaves in Common Files: the DLL
// has it, because the uninstall must not depend on installed files.
#define AGENT_RESOURCE_ID 1
