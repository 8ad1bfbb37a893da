// Exceptions inside the 32-bit module, whatever else the process holds.
//
// The i686 build unwinds with DWARF-2 tables (.eh_frame), which are not
// found through the system: they must be registered, at load, with the
// unwinder that will search them. The module links the GCC runtime
// statically, so its unwinder and that unwinder's registry are inside this
// DLL. But the startup code GCC links into every module (crtbegin.o) first
// asks GetModuleHandle for the GCC runtime DLL, libgcc_s_dw2-1.dll, and if
// the process already holds it (any other plug-in or tool built with MinGW
// and the shared runtime brings it) registers our tables there instead.
// Our own unwinder then finds no table for our code, and the first throw
// ends the process in std::terminate, before any catch runs: the mail
// client dies where the send should have been refused.
//
// So at attach we ask our own unwinder whether it knows our code, and when
// it does not, we register the module's .eh_frame section with it. The
// section is found in the module's own PE section table (the name is cut to
// eight characters in the image). Asking first keeps a single registration
// in the usual case, where crtbegin.o already registered with our unwinder;
// a copy in the foreign registry as well does no harm, since only our
// unwinder ever walks our frames' tables.
//
// Alternatives rejected: startup code of our own instead of crtbegin.o
// (replaces a part of the toolchain we do not otherwise touch), and throwing
// less (the pattern engine's search limit throws, so a throw must work).
#include "platform/platform.h"

#include <windows.h>

#include <cstring>

#if defined(__i386__)

extern "C" {
// The statically linked unwinder (libgcc_eh), not any DLL's.
struct DwarfEhBases {
  void* tbase;
  void* dbase;
  void* func;
};
const void* _Unwind_Find_FDE(void* pc, DwarfEhBases* bases);
void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);
}

namespace sendwarden {

namespace {

// The unwinder's bookkeeping for one table (its `struct object`, six or
// seven pointers in the GCC versions we build with), kept for the module's
// lifetime; ample room, suitably aligned.
alignas(8) unsigned char g_object[16 * sizeof(void*)];
const void* g_registered = nullptr;

const void* OwnEhFrame(ModuleHandle module) {
  auto* base = static_cast<const unsigned char*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::memcmp(section->Name, ".eh_fram", 8) == 0) return base + section->VirtualAddress;
  }
  return nullptr;
}

bool OwnUnwinderKnows(void* code) {
  DwarfEhBases bases;
  return _Unwind_Find_FDE(code, &bases) != nullptr;
}

}  // namespace

void ClaimUnwindTables(ModuleHandle module) {
  // Any function of ours will do: all of them have their tables in one section.
  if (OwnUnwinderKnows(reinterpret_cast<void*>(&OwnUnwinderKnows))) return;
  // tests/e2e/check_dll.py makes sure the shipped DLL has the section.
  const void* tables = OwnEhFrame(module);
  if (tables == nullptr) return;
  __register_frame_info(tables, g_object);
  g_registered = tables;
}

void ReleaseUnwindTables() {
  if (g_registered == nullptr) return;
  __deregister_frame_info(g_registered);
  g_registered = nullptr;
}

}  // namespace sendwarden

#else  // x86-64: the system finds the SEH tables in .pdata; nothing to register.

namespace sendwarden {
void ClaimUnwindTables(ModuleHandle) {}
void ReleaseUnwindTables() {}
}  // namespace sendwarden

#endif
