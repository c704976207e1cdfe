# Cross toolchain: Windows on ARM64 with Debian's LLVM 14 (clang, lld,
# llvm-dlltool, llvm-objcopy).  Debian ships no C runtime and
# no import libraries for this processor, and the module needs neither: it
# starts at its own entry, and the build makes its import libraries from
# tools/module_imports.txt.  The mingw-w64 headers serve ARM64 as they are;
# <cstdint> and <cstddef> come from the x86-64 cross compiler's C++ headers,
# which hold nothing processor-specific that the sources use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)

set(RUXA_LLVM_SUFFIX -14)
set(RUXA_ARM64_TRIPLE aarch64-w64-mingw32)
set(CMAKE_C_COMPILER   clang${RUXA_LLVM_SUFFIX})
set(CMAKE_CXX_COMPILER clang++${RUXA_LLVM_SUFFIX})
set(CMAKE_C_COMPILER_TARGET   ${RUXA_ARM64_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${RUXA_ARM64_TRIPLE})
# The resource script names the dialog controls' classes by number, which
# llvm-rc refuses: the other modules' windres compiles it, into a .res file,
# which holds no processor's code and which lld takes as it is.
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_OBJCOPY      llvm-objcopy${RUXA_LLVM_SUFFIX} CACHE FILEPATH "")
set(RUXA_DLLTOOL       llvm-dlltool${RUXA_LLVM_SUFFIX})

# A machine without them must fail here, saying what is missing, rather
# than build something else.
foreach(tool clang${RUXA_LLVM_SUFFIX} ld.lld${RUXA_LLVM_SUFFIX} ${RUXA_DLLTOOL} llvm-objcopy${RUXA_LLVM_SUFFIX}
        ${CMAKE_RC_COMPILER})
    find_program(RUXA_FOUND_${tool} ${tool})
    if(NOT RUXA_FOUND_${tool})
        message(FATAL_ERROR "${tool} is missing: the ARM64 module is built with Debian's clang-14, lld-14, llvm-14 "
                            "and binutils-mingw-w64 (sh tools/bootstrap.sh installs them)")
    endif()
endforeach()

set(RUXA_MINGW_INCLUDE /usr/share/mingw-w64/include)
set(RUXA_CXX_HEADERS /usr/lib/gcc/x86_64-w64-mingw32/12-win32/include/c++)
set(CMAKE_C_FLAGS_INIT "-ffreestanding -fno-stack-protector -isystem ${RUXA_MINGW_INCLUDE}")
set(CMAKE_CXX_FLAGS_INIT
    "${CMAKE_C_FLAGS_INIT} -isystem ${RUXA_CXX_HEADERS} -isystem ${RUXA_CXX_HEADERS}/x86_64-w64-mingw32")
# Nothing of a C runtime or its start-up is linked; lld links.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib")
# Each program names the libraries it imports from; there are no others.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "")
# Without a C runtime the compiler's own test program cannot link.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
