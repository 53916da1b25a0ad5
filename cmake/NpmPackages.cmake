# npm_packages(<target> <folder with package.json and package-lock.json> <work folder>)
# A target that installs the packages pinned by the lock file into
# <work folder>/node_modules with `npm ci`, only when they are missing or the
# lock file changed; <work folder>/npm-ci.stamp changes only then.
function(npm_packages target package_dir work_dir)
    file(MAKE_DIRECTORY "${work_dir}")
    add_custom_target(${target}
        COMMAND "${CMAKE_COMMAND}" "-DNPM=${NPM_EXECUTABLE}" "-DPACKAGE_DIR=${package_dir}" "-DWORK_DIR=${work_dir}"
                -P "${CMAKE_SOURCE_DIR}/cmake/npm_ci.cmake"
        BYPRODUCTS "${work_dir}/npm-ci.stamp"
        COMMENT "Checking the npm packages of ${package_dir}"
        VERBATIM)
endfunction()
