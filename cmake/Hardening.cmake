# Debian's hardening flags, as dpkg-buildflags gives them to every package:
# fortified string and memory functions, the stack protector, format checks,
# and a relocation table made read-only at start (relro, bind-now). The
# build type keeps choosing the optimisation and the debug information, so
# dpkg-buildflags' own "-g -O2" are left out. The sanitizer and fuzz builds
# bring instrumentation of their own and do without them.
option(VYKON_HARDEN "Build with Debian's hardening flags (dpkg-buildflags)" ON)
if(NOT VYKON_HARDEN)
    return()
endif()

find_program(VYKON_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT VYKON_DPKG_BUILDFLAGS)
    message(FATAL_ERROR "dpkg-buildflags not found: install dpkg-dev (scripts/setup.sh does), "
                        "or configure with -DVYKON_HARDEN=OFF")
endif()

function(vykon_buildflags kind result)
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                "DEB_CXXFLAGS_MAINT_STRIP=-g -O2" "${VYKON_DPKG_BUILDFLAGS}" --get ${kind}
        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed: ${status}")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(${result} ${flags} PARENT_SCOPE)
endfunction()

vykon_buildflags(CPPFLAGS VYKON_HARDEN_CPPFLAGS)
vykon_buildflags(CXXFLAGS VYKON_HARDEN_CXXFLAGS)
vykon_buildflags(LDFLAGS VYKON_HARDEN_LDFLAGS)
# Fortified functions need the optimiser; an unoptimised build would only
# warn about that in every file.
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    list(FILTER VYKON_HARDEN_CPPFLAGS EXCLUDE REGEX "_FORTIFY_SOURCE")
endif()
add_compile_options(${VYKON_HARDEN_CPPFLAGS} ${VYKON_HARDEN_CXXFLAGS})
add_link_options(${VYKON_HARDEN_LDFLAGS})
