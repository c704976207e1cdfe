# The ARM64 module's link, included by the module's build: lld, the import
# libraries made from the list of the functions the module may use, and the
# oldest Windows on ARM64 in the header.

# A tree without Debian's LLVM tools must fail here, saying what is missing,
# rather than build something else.
foreach(tool ${CMAKE_C_COMPILER} ${RUXA_DLLTOOL} ${CMAKE_OBJCOPY} ld.lld${RUXA_LLVM_SUFFIX})
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        message(FATAL_ERROR "${tool} is missing: the ARM64 module needs Debian's clang-14, lld-14 and llvm-14 "
                            "(sh tools/bootstrap.sh installs them)")
    endif()
endforeach()

# The resources as a .res file (cmake/clang-aarch64.cmake), which lld takes
# only as a file of its own, not out of the archive of objects that CMake
# would hand a GNU linker; lld needs no such archive.
set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>")
foreach(lang C CXX)
    set(CMAKE_${lang}_LINK_EXECUTABLE "<CMAKE_${lang}_COMPILER> <FLAGS> <CMAKE_${lang}_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
endforeach()

target_sources(ruxa PRIVATE ${CMAKE_SOURCE_DIR}/host/win32/arm64/memory_routines.cpp)

set(RUXA_IMPORT_DIR ${CMAKE_BINARY_DIR}/imports)
set(RUXA_IMPORT_LISTS ${CMAKE_SOURCE_DIR}/tools/module_imports.txt ${RUXA_EXTRA_IMPORT_LISTS})
add_custom_command(
    OUTPUT ${RUXA_IMPORT_DIR}/stamp
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/import_libraries.sh ${RUXA_DLLTOOL} arm64 ${RUXA_IMPORT_DIR}
            ${RUXA_IMPORT_LISTS}
    COMMAND ${CMAKE_COMMAND} -E touch ${RUXA_IMPORT_DIR}/stamp
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/import_libraries.sh ${RUXA_IMPORT_LISTS}
    COMMENT "Making the ARM64 import libraries from the list of imports"
    VERBATIM)
add_custom_target(ruxa_import_libraries DEPENDS ${RUXA_IMPORT_DIR}/stamp)
add_dependencies(ruxa ruxa_import_libraries)
set_property(TARGET ruxa APPEND PROPERTY LINK_DEPENDS ${RUXA_IMPORT_DIR}/stamp)
target_link_directories(ruxa PRIVATE ${RUXA_IMPORT_DIR})
# What a C driver would add by itself.
target_link_libraries(ruxa PRIVATE kernel32)
# Windows 10 is the oldest Windows on ARM64; its header asks for 6.2, the
# version that the platform's own linker writes by default for ARM64.
target_link_options(ruxa PRIVATE -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,2)
# The symbol table without debugging information, which is what the other
# two modules' linked files keep: lld then adds no build id either (a debug
# directory that the stripped module would carry).
target_link_options(ruxa PRIVATE -Wl,--strip-debug)
