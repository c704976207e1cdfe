# The ARM64 module's link, included by the module's build: lld, the import
# libraries made from the list of the functions the module may use, and the
# oldest Windows on ARM64 in the header.

# The resources as a .res file (cmake/clang-aarch64.cmake), which lld takes
# only as a file of its own, not out of the archive of objects that CMake
# would hand a GNU linker; lld needs no such archive.
set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>")
foreach(lang C CXX)
    set(CMAKE_${lang}_LINK_EXECUTABLE
        "<CMAKE_${lang}_COMPILER> <FLAGS> <CMAKE_${lang}_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
endforeach()

target_sources(ruxa PRIVATE ${CMAKE_SOURCE_DIR}/host/win32/arm64/memory_routines.cpp)

# ruxa_arm64_imports(TARGET NAME LIST...): TARGET links against import
# libraries made from the lists (tools/import_libraries.sh), in a folder NAME
# of their own.
function(ruxa_arm64_imports target name)
    set(folder ${CMAKE_BINARY_DIR}/${name})
    if(NOT TARGET ruxa_${name})
        add_custom_command(
            OUTPUT ${folder}/stamp
            COMMAND sh ${CMAKE_SOURCE_DIR}/tools/import_libraries.sh ${RUXA_DLLTOOL} arm64 ${folder} ${ARGN}
            COMMAND ${CMAKE_COMMAND} -E touch ${folder}/stamp
            DEPENDS ${CMAKE_SOURCE_DIR}/tools/import_libraries.sh ${ARGN}
            COMMENT "Making the ARM64 import libraries in ${name}"
            VERBATIM)
        add_custom_target(ruxa_${name} DEPENDS ${folder}/stamp)
    endif()
    add_dependencies(${target} ruxa_${name})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${folder}/stamp)
    target_link_directories(${target} PRIVATE ${folder})
endfunction()

# Made from the one list, so that a call of anything unlisted fails here.
ruxa_arm64_imports(ruxa imports ${CMAKE_SOURCE_DIR}/tools/module_imports.txt)
# What a C driver would add by itself.
target_link_libraries(ruxa PRIVATE kernel32)
# Windows 10 is the oldest Windows on ARM64; its header asks for 6.2, the
# version that the platform's own linker writes by default for ARM64.
target_link_options(ruxa PRIVATE -Wl,--major-subsystem-version,6 -Wl,--minor-subsystem-version,2)
# The symbol table without debugging information, which is what the other
# two modules' linked files keep: lld then adds no build id either (a debug
# directory that the stripped module would carry).
target_link_options(ruxa PRIVATE -Wl,--strip-debug)
