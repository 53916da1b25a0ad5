# viewer_page(<output.cpp>)
# The page of `scenario-tool view` as one HTML template: the pinned charting
# library (npm ci into the build folder) and the page's own script and style
# (src/tool/drawing/page) inlined by build.js, compiled into the tool as a string.
# Without node and npm the tool is built with an empty template and `view`
# says so.
include(${CMAKE_CURRENT_LIST_DIR}/NpmPackages.cmake)

function(viewer_page output)
    set(page_dir "${CMAKE_SOURCE_DIR}/src/tool/drawing/page")
    find_program(NODE_EXECUTABLE node)
    find_program(NPM_EXECUTABLE npm)
    if(NOT NODE_EXECUTABLE OR NOT NPM_EXECUTABLE)
        message(WARNING "scenario-tool view is built without its page: install nodejs and npm")
        set(source "// Built without node and npm: no viewer page.\n")
        string(APPEND source "#include \"tool/drawing/view_page.h\"\n\n")
        string(APPEND source "namespace scenario::tool {\nconst std::string_view viewer_page_template;\n}\n")
        file(CONFIGURE OUTPUT "${output}" CONTENT "${source}")
        return()
    endif()
    set(work_dir "${CMAKE_BINARY_DIR}/viewer_page")
    npm_packages(viewer_page_packages "${page_dir}" "${work_dir}")
    add_custom_command(OUTPUT "${output}" "${work_dir}/viewer.html"
        COMMAND "${NODE_EXECUTABLE}" "${page_dir}/build.js" --modules "${work_dir}/node_modules"
                --html "${work_dir}/viewer.html" --cpp "${output}"
        DEPENDS viewer_page_packages "${work_dir}/npm-ci.stamp" "${page_dir}/build.js" "${page_dir}/template.html"
                "${page_dir}/viewer.js" "${page_dir}/viewer.css"
        COMMENT "Building the viewer page"
        VERBATIM)
endfunction()
