# host_header_libraries(<missing packages variable>)
# The cross build's header-only libraries of the tool, CLI11 and
# nlohmann-json, taken from the build machine's packages (libcli11-dev,
# nlohmann-json3-dev): only their own folders are copied into the build
# folder at configure time, so the cross compiler never sees the rest of the
# host's include folder, whose headers belong to the host's C library. Each
# becomes the imported target the native build gets from find_package; the
# packages whose headers are missing are listed in the variable.
set(COMPACTOR_HOST_INCLUDE_DIR "/usr/include" CACHE PATH
    "The build machine's include folder holding CLI/ and nlohmann/, for the cross build of scenario-tool")

function(host_header_libraries missing_var)
    set(missing "")
    set(include_dir "${CMAKE_BINARY_DIR}/host_headers")
    # target, folder, a header inside it, package
    set(libraries
        "CLI11::CLI11|CLI|CLI.hpp|libcli11-dev"
        "nlohmann_json::nlohmann_json|nlohmann|json.hpp|nlohmann-json3-dev")
    foreach(library IN LISTS libraries)
        string(REPLACE "|" ";" fields "${library}")
        list(GET fields 0 target)
        list(GET fields 1 folder)
        list(GET fields 2 header)
        list(GET fields 3 package)
        set(source "${COMPACTOR_HOST_INCLUDE_DIR}/${folder}")
        if(NOT EXISTS "${source}/${header}")
            list(APPEND missing ${package})
            continue()
        endif()
        file(REMOVE_RECURSE "${include_dir}/${folder}")
        file(COPY "${source}" DESTINATION "${include_dir}")
        set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}/${header}")
        add_library(${target} INTERFACE IMPORTED GLOBAL)
        set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${include_dir}")
    endforeach()
    set(${missing_var} "${missing}" PARENT_SCOPE)
endfunction()
