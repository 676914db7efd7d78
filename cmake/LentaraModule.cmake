# lentara_plugin_module(<target> <base name> [MACOS_ARCH <arch>])
#
# Turns a MODULE library target into a host plug-in file:
#   Windows  <base>64.p or <base>32.p (by pointer size), C and C++ runtimes
#            linked in statically, only `_mod_descrip` exported (module.def);
#   macOS    a <base>.plugin bundle for one architecture (default x86_64)
#            exporting only `_mod_descrip`;
#   other    <base>.p with a version script that keeps only `_mod_descrip`.
# Every module gets the shared entry (module/entry.cpp: descriptor, startup,
# shutdown, server table); the target supplies `lentara::kModule`, its list
# of camera types.
# Calling it twice on one target is harmless: the second call does nothing.
set(LENTARA_MODULE_SUPPORT_DIR ${CMAKE_CURRENT_LIST_DIR})

function(lentara_plugin_module target base)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "" "MACOS_ARCH" "")
  get_target_property(done ${target} LENTARA_PLUGIN_MODULE)
  if(done)
    return()
  endif()
  set_target_properties(${target} PROPERTIES LENTARA_PLUGIN_MODULE ON
    PREFIX "" SUFFIX ".p" CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_sources(${target} PRIVATE ${LENTARA_MODULE_SUPPORT_DIR}/../module/entry.cpp)
  target_link_libraries(${target} PRIVATE lentara_framework)

  if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      set(name ${base}64)
    else()
      set(name ${base}32)
    endif()
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name})
    # The .def file pins the export table to the one descriptor symbol under
    # its exact C name; on 32-bit Windows this also keeps the linker from
    # adding a decorated or stdcall-style alias.
    target_sources(${target} PRIVATE ${LENTARA_MODULE_SUPPORT_DIR}/module.def)
    if(NOT MSVC)
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
                          -Wl,--no-undefined -Wl,--exclude-all-symbols)
    else()
      set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    endif()
  elseif(APPLE)
    if(NOT ARG_MACOS_ARCH)
      set(ARG_MACOS_ARCH x86_64)
    endif()
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${base}
      BUNDLE ON BUNDLE_EXTENSION plugin OSX_ARCHITECTURES ${ARG_MACOS_ARCH}
      MACOSX_BUNDLE_BUNDLE_NAME ${base}
      MACOSX_BUNDLE_GUI_IDENTIFIER "org.vantorlentara.${base}"
      MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
      MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION})
    # Mach-O adds a leading underscore to C names.
    target_link_options(${target} PRIVATE -Wl,-exported_symbol,__mod_descrip)
  else()
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${base})
    target_link_options(${target} PRIVATE -Wl,--version-script=${LENTARA_MODULE_SUPPORT_DIR}/exports.map
                        -Wl,-Bsymbolic)
    # The evaluate path's thread-locals are initial-exec (framework/motion.h):
    # glibc takes them from its small static TLS surplus on dlopen and never
    # gives that back on dlclose, so a module that really went away on every
    # dlclose could no longer be opened after a few loads in one process.
    # The file stays mapped instead; opening it again finds it loaded (the
    # host still runs startup and shutdown as before).
    target_link_options(${target} PRIVATE -Wl,-z,nodelete)
    # A module instrumented for the fuzzers takes its sanitizer and coverage
    # runtime from the program that loads it.
    if(NOT LENTARA_MODULE_ALLOW_UNDEFINED)
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
  endif()
endfunction()
