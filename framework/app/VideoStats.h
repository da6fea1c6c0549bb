#pragma once
// The "Video Stats" report: 3D mode, images, sounds, video and texture
// memory.
#include <string>

namespace Kivo {

class KivoAppBase;

std::string GetProgramInfo(KivoAppBase& app);
// The report in a message box titled "Video Stats".
void DumpProgramInfo(KivoAppBase& app);

} // namespace Kivo
