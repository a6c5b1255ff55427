# The x86 instruction decoder, built from the pinned source that scripts/setup
# unpacks into the build's third-party folder. Only the x86 part, static, with
# Intel syntax only; its memory functions are supplied at run time by the crash
# reporter (no default allocator), so decoding never touches the C heap.
set(RAVELIN_CAPSTONE_DIR "${CMAKE_SOURCE_DIR}/build/third-party/capstone-4.0.2"
    CACHE PATH "Unpacked capstone 4.0.2 source")
if(NOT EXISTS "${RAVELIN_CAPSTONE_DIR}/cs.c")
  message(FATAL_ERROR "capstone source missing in ${RAVELIN_CAPSTONE_DIR}: run scripts/setup")
endif()

set(capstone_sources cs.c MCInst.c MCInstrDesc.c MCRegisterInfo.c SStream.c utils.c
    arch/X86/X86Disassembler.c arch/X86/X86DisassemblerDecoder.c arch/X86/X86IntelInstPrinter.c
    arch/X86/X86Mapping.c arch/X86/X86Module.c)
list(TRANSFORM capstone_sources PREPEND "${RAVELIN_CAPSTONE_DIR}/")
add_library(ravelin_capstone STATIC ${capstone_sources})
target_include_directories(ravelin_capstone SYSTEM PUBLIC "${RAVELIN_CAPSTONE_DIR}/include")
target_include_directories(ravelin_capstone PRIVATE "${RAVELIN_CAPSTONE_DIR}")
target_compile_definitions(ravelin_capstone PRIVATE CAPSTONE_HAS_X86 CAPSTONE_X86_ATT_DISABLE)
# Third-party code: its own warnings are not ours to fix.
target_compile_options(ravelin_capstone PRIVATE -w)
