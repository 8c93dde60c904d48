function build_qorincam(varargin)
  % BUILD_QORINCAM  builds qorincam with the compiler this MATLAB or Octave is set up with.
  %   build_qorincam ('sdk', 'vendor', 'sdkLibrary', LIB) links the module to the maker's
  %   qorinapi library; LIB is the path of its import library (qorinapi.lib on Windows).
  %   build_qorincam ('sdk', 'simulator') builds the simulated SDK beside the module instead,
  %   with its control qorinsim, for working without a camera.  Without 'sdk' the build is
  %   for the vendor's library when 'sdkLibrary' is given, else for the simulator.
  %
  %   Options are name/value pairs; names and text values may be character vectors or
  %   string scalars.  Further options:
  %     'output'   the folder for the module, its help qorincam.m and the +qorin package
  %                (default: build/mex in the source folder)
  %     'verbose'  true to show every compiler command and its output (default false)
  %
  %   Uses mex in MATLAB (set up a compiler once with: mex -setup C++) and mkoctfile --mex
  %   in Octave.  The sources and their flags are those CMake builds, from cmake/sources.txt.
  %   Afterwards: addpath (OUTPUT), then for example cam = qorin.Camera (1).
  root = fileparts(mfilename('fullpath'));
  opts = parseOptions(root, varargin);
  tc = findCompiler(opts);
  products = readSources(fullfile(root, 'cmake', 'sources.txt'));

  if ~exist(opts.output, 'dir')
    mkdir(opts.output);
  end
  if ~exist(fullfile(opts.output, '+qorin'), 'dir')
    mkdir(fullfile(opts.output, '+qorin'));
  end
  work = tempname();
  mkdir(work);
  cleanup = onCleanup(@() removeFolder(work));
  % A loaded MEX file keeps its file (and on Windows the SDK library) in use.
  clear('qorincam', 'qorinsim');

  % The +qorin package as it stands, then qorincam.m and +qorin/cmd.m from the generator:
  % first, since they take seconds and an output folder that cannot take them fails at once.
  copyfile(fullfile(root, 'matlab', '+qorin', '*'), fullfile(opts.output, '+qorin'));
  writeUserFiles(tc, opts, root, work, products);

  % The SDK the module links: the simulator built here or the maker's import library.
  if strcmp(opts.sdk, 'vendor')
    removeSimulator(opts.output);
  end
  if ~tc.windows
    platform = sourcesOf(products, 'platform', root);
    objects = compileAll(tc, root, work, 'platform', platform, {}, opts.verbose);
    linkLibrary(tc, opts, objects, 'qorinplatform', {});
  end
  if strcmp(opts.sdk, 'simulator')
    sdk = sourcesOf(products, 'qorinapi', root);
    % On Windows qorinsim reaches the simulator's controls through qorinapi.dll's exports.
    objects = compileAll(tc, root, work, 'qorinapi', sdk, {'-DQORIN_BUILDING_SDK', '-DQORINSIM_EXPORT_CONTROLS'}, opts.verbose);
    sdkLink = linkLibrary(tc, opts, objects, 'qorinapi', {});
  else
    sdkLink = {opts.sdkLibrary};
    if tc.octave || ~tc.windows
      % mkoctfile takes no library files, only -L and -l: qorinapi.lib, libqorinapi.so
      % and libqorinapi.dll.a are all -lqorinapi.
      [folder, name] = fileparts(opts.sdkLibrary);
      sdkLink = {['-L' folder], ['-l' regexprep(name, '^lib|\.(dll|so)$', '')]};
    end
    if ~tc.windows
      % Found where it is installed as well as beside the module.
      sdkLink = [sdkLink, {['-Wl,-rpath,' fileparts(opts.sdkLibrary)]}];
    end
  end
  if ~tc.windows
    sdkLink = [sdkLink, {['-L' opts.output], '-lqorinplatform'}];
  end

  module = sourcesOf(products, 'qorincam', root);
  objects = compileAll(tc, root, work, 'qorincam', module, {}, opts.verbose);
  linkMex(tc, opts, objects, fullfile(opts.output, 'qorincam'), sdkLink);
  if strcmp(opts.sdk, 'simulator')
    control = sourcesOf(products, 'qorinsim', root);
    objects = compileAll(tc, root, work, 'qorinsim', control, {'-DQORINSIM_EXPORT_CONTROLS'}, opts.verbose);
    linkMex(tc, opts, objects, fullfile(opts.output, 'qorinsim'), sdkLink);
  end

  fprintf('qorincam (%s SDK) built in %s\n', opts.sdk, opts.output);
  fprintf('Use it with: addpath(''%s'')\n', opts.output);
  clear('cleanup');
end

function opts = parseOptions(root, args)
  % The name/value options, checked, with their defaults.
  opts = struct('sdk', '', 'sdkLibrary', '', 'output', fullfile(root, 'build', 'mex'), 'verbose', false);
  names = fieldnames(opts);
  % String scalars ("simulator") as character vectors; Octave has no string class.
  for k = 1:numel(args)
    if isa(args{k}, 'string') && isscalar(args{k})
      args{k} = char(args{k});
    end
  end
  if mod(numel(args), 2) ~= 0
    error('qorin:build:usage', 'Options come in name/value pairs, for example build_qorincam(''sdk'', ''simulator'').');
  end
  for k = 1:2:numel(args)
    match = [];
    if ischar(args{k})
      match = find(strcmpi(args{k}, names), 1);
    end
    if isempty(match)
      error('qorin:build:usage', 'Unknown option; the options are ''sdk'', ''sdkLibrary'', ''output'' and ''verbose''.');
    end
    opts.(names{match}) = args{k + 1};
  end
  if isempty(opts.sdk)
    if isempty(opts.sdkLibrary)
      opts.sdk = 'simulator';
    else
      opts.sdk = 'vendor';
    end
  end
  if ~ischar(opts.sdk) || ~any(strcmp(opts.sdk, {'vendor', 'simulator'}))
    error('qorin:build:usage', 'The ''sdk'' option must be ''vendor'' or ''simulator''.');
  end
  if ~ischar(opts.output) || isempty(opts.output)
    error('qorin:build:usage', 'The ''output'' option must be the name of a folder.');
  end
  opts.output = absolutePath(opts.output);
  opts.verbose = logical(opts.verbose);
  if strcmp(opts.sdk, 'vendor')
    if isempty(opts.sdkLibrary) || ~ischar(opts.sdkLibrary)
      error('qorin:build:sdkLibrary', ['Building for the maker''s SDK needs ''sdkLibrary'', the path of its import ' ...
            'library (for example C:\\Program Files\\Qorin\\SDK\\lib\\x64\\qorinapi.lib).']);
    end
    opts.sdkLibrary = absolutePath(opts.sdkLibrary);
    if ~exist(opts.sdkLibrary, 'file')
      error('qorin:build:sdkLibrary', 'The SDK library was not found: %s', opts.sdkLibrary);
    end
  end
end

function path = absolutePath(path)
  % The path made absolute against the current folder.
  if ~(numel(path) >= 1 && (path(1) == '/' || path(1) == '\')) && ~(numel(path) >= 2 && path(2) == ':')
    path = fullfile(pwd(), path);
  end
end

function tc = findCompiler(opts)
  % The host's MEX driver and what its compiler needs: a struct describing the toolchain.
  tc = struct('octave', exist('OCTAVE_VERSION', 'builtin') > 0, 'windows', ispc(), 'msvc', false, ...
              'x86', false, 'objext', '.o', 'cxx', '', 'cxxflags', '', 'libdir', '', 'config', [], ...
              'mkoctfile', '');
  if tc.octave
    % Named as text: MATLAB parses the whole file and rejects a name that begins with _.
    tc.mkoctfile = fullfile(feval('__octave_config_info__', 'bindir'), 'mkoctfile');
    [cxx, status] = runMkoctfile(tc, {'-p', 'CXX'});
    tc.cxx = strtrim(cxx);
    [found, version] = compilerVersion(tc);
    if status ~= 0 || found ~= 0 || isempty(tc.cxx)
      error('qorin:build:compiler', ['No C++ compiler found for mkoctfile (CXX is "%s"). Install one and ' ...
            'Octave''s development files (on Debian: apt-get install g++ liboctave-dev).'], tc.cxx);
    end
    tc.cxxflags = strtrim(runMkoctfile(tc, {'-p', 'CXXFLAGS'}));
    tc.libdir = strtrim(runMkoctfile(tc, {'-p', 'OCTLIBDIR'}));
    if opts.verbose
      fprintf('%s', version);
    end
    arch = computer();
    tc.x86 = ~isempty(regexp(arch, '^(x86_64|i.86)', 'once'));
  else
    config = [];
    try
      config = mex.getCompilerConfigurations('C++', 'Selected');
    catch
    end
    if isempty(config)
      error('qorin:build:compiler', ['No C++ compiler is set up for mex. Run: mex -setup C++ ' ...
            '(on Windows install the MinGW-w64 add-on or Visual Studio first), then build_qorincam again.']);
    end
    tc.config = config(1);
    tc.msvc = ~isempty(strfind(lower(tc.config.ShortName), 'msvc')) || ...
              ~isempty(strfind(lower(tc.config.Manufacturer), 'microsoft'));
    if tc.msvc
      tc.objext = '.obj';
    end
    tc.cxx = tc.config.Details.CompilerExecutable;
    if opts.verbose
      fprintf('Compiler: %s (%s)\n', tc.config.Name, tc.cxx);
    end
    tc.x86 = any(strcmp(computer('arch'), {'win64', 'glnxa64', 'maci64'}));
  end
end

function [status, version] = compilerVersion(tc)
  % The compiler's own account of itself; a failure means there is no compiler.
  [status, version] = runShell(tc, [compilerCommand(tc) ' --version']);
end

function command = compilerCommand(tc)
  % The compiler as a command line starts: MATLAB's CompilerExecutable is a file path (it may
  % hold spaces), Octave's CXX a command as make runs it (it may hold more than one word)
  % unless it names a file.
  command = tc.cxx;
  if ~tc.octave || exist(tc.cxx, 'file') == 2
    command = ['"' tc.cxx '"'];
  end
end

function [status, output] = runShell(tc, command)
  % Every command line the build hands to the system's shell.  cmd.exe takes a line that
  % begins with a quote and holds more quotes without its first and its last quote, which
  % breaks a quoted program path; one more pair around the whole line is what it removes.
  % Octave's system adds that pair itself on Windows, MATLAB's does not.
  if tc.windows && ~tc.octave
    command = ['"' command '"'];
  end
  [status, output] = system(command);
end

function products = readSources(file)
  % cmake/sources.txt as a struct array: product, pattern, flags (cell of char rows).
  text = fileread(file);
  products = struct('product', {}, 'pattern', {}, 'flags', {});
  lines = regexp(text, '\r?\n', 'split');
  for k = 1:numel(lines)
    line = regexprep(lines{k}, '#.*$', '');
    words = regexp(line, '\S+', 'match');
    if numel(words) >= 2
      products(end + 1) = struct('product', words{1}, 'pattern', words{2}, 'flags', {words(3:end)}); %#ok<AGROW>
    end
  end
end

function files = sourcesOf(products, product, root)
  % The product's files (relative paths, globs expanded) and each one's own flags.
  files = struct('path', {}, 'flags', {});
  for k = find(strcmp({products.product}, product))
    entry = products(k);
    folder = fileparts(entry.pattern);
    listing = dir(fullfile(root, entry.pattern));
    listing = listing(~[listing.isdir]);
    if isempty(listing)
      error('qorin:build:sources', 'cmake/sources.txt: no file matches %s (%s)', entry.pattern, product);
    end
    for name = sort({listing.name})
      path = [folder '/' name{1}];
      at = find(strcmp({files.path}, path), 1);
      if isempty(at)
        files(end + 1) = struct('path', path, 'flags', {{}}); %#ok<AGROW>
        at = numel(files);
      end
      files(at).flags = [files(at).flags, entry.flags];
    end
  end
end

function objects = compileAll(tc, root, work, product, files, defines, verbose)
  % Compiles each file into work/product/<its folder>/; the object files in order.
  fprintf('Compiling %s (%d files)\n', product, numel(files));
  objects = cell(1, numel(files));
  for k = 1:numel(files)
    [folder, name] = fileparts(files(k).path);
    outdir = fullfile(work, product, folder);
    if ~exist(outdir, 'dir')
      mkdir(outdir);
    end
    objects{k} = fullfile(outdir, [name tc.objext]);
    % The wider instruction sets' flags only where the compiler needs them.
    flags = {};
    if ~tc.msvc && tc.x86
      flags = files(k).flags;
    end
    source = fullfile(root, files(k).path);
    if verbose
      fprintf('  %s\n', files(k).path);
    end
    objects{k} = compileOne(tc, root, source, objects{k}, defines, flags, verbose);
  end
end

function object = compileOne(tc, root, source, object, defines, flags, verbose)
  % One source file into one object file, with the host's MEX driver; the object's path.
  common = [{['-I' root], '-DNDEBUG'}, defines];
  if tc.octave
    % mkoctfile takes the compiler's flags from the environment.
    previous = getenv('CXXFLAGS');
    setenv('CXXFLAGS', strjoin([{tc.cxxflags, '-std=c++17', '-fvisibility=hidden', ...
                                 '-fvisibility-inlines-hidden', '-Wall', '-Wextra'}, flags], ' '));
    restore = onCleanup(@() restoreVariable('CXXFLAGS', previous));
    args = [{'--mex', '-c'}, common, {source, '-o', object}];
    if verbose
      args = ['-v', args];
    end
    [output, status] = runMkoctfile(tc, args);
    clear('restore');
    report(source, status, output, verbose);
  else
    if tc.msvc
      extra = 'COMPFLAGS=$COMPFLAGS /std:c++17';
    else
      extra = strjoin([{'CXXFLAGS=$CXXFLAGS -std=c++17 -fvisibility=hidden'}, flags], ' ');
    end
    args = [{'-c', '-R2017b', '-outdir', fileparts(object)}, common, {extra, source}];
    runMex(tc, source, args, verbose);
    % mex names objects .obj with some GCC set-ups too.
    [folder, name] = fileparts(object);
    if ~exist(object, 'file') && exist(fullfile(folder, [name '.obj']), 'file')
      object = fullfile(folder, [name '.obj']);
    end
  end
end

function runMex(tc, what, args, verbose)
  % MATLAB's mex with the selected C++ configuration's options file, so that a link of
  % object files alone is a C++ link too; its output shown on failure (always, when verbose).
  args = [{'-f', tc.config.MexOpt}, args];
  if verbose
    args = ['-v', args];
  else
    args = ['-silent', args];
  end
  output = '';
  status = 0;
  try
    output = evalc('mex(args{:})');
  catch failure
    output = [output, failure.message];
    status = 1;
  end
  report(what, status, output, verbose);
end

function report(what, status, output, verbose)
  % Shows the compiler's output when asked or when it failed, and stops on failure.
  if verbose && ~isempty(output)
    fprintf('%s\n', output);
  end
  if status ~= 0
    error('qorin:build:compile', 'Building %s failed:\n%s', what, output);
  end
end

function [output, status] = runMkoctfile(tc, args, folder)
  % Octave's mkoctfile, run as its own mkoctfile function runs it, with the compiler's
  % messages captured too, so that a failure can show them.  Given a folder, it runs there:
  % mkoctfile hands the linker its -o path unquoted, so MEX files are linked by bare name.
  command = ['"' tc.mkoctfile '"', sprintf(' "%s"', args{:}), ' 2>&1'];
  if nargin > 2
    previous = cd(folder);
    back = onCleanup(@() cd(previous));
  end
  [status, output] = runShell(tc, command);
end

function restoreVariable(name, value)
  % Puts an environment variable back as it was.  MATLAB before R2022b has no unsetenv.
  if isempty(value) && exist('unsetenv') ~= 0 %#ok<EXIST>
    unsetenv(name);
  else
    setenv(name, value);
  end
end

function linkMex(tc, opts, objects, target, libraries)
  % A MEX file from objects: it exports only mexFunction and finds the libraries beside it.
  if tc.windows
    libraries = [libraries, {'-luser32', '-lkernel32'}];
  end
  if tc.octave
    [folder, name] = fileparts(target);
    args = [{'--mex', '-o', [name '.' mexext()]}, objects, libraries, ...
            {['-L' tc.libdir], '-loctinterp', '-loctave', '-Wl,--no-undefined'}];
    if ~tc.windows
      % Quoted for the two shells mkoctfile runs the linker through.
      args = [args, {'-Wl,-rpath,''\$ORIGIN'''}];
    end
    if opts.verbose
      args = ['-v', args];
    end
    [output, status] = runMkoctfile(tc, args, folder);
    report(target, status, output, opts.verbose);
  else
    args = [{'-R2017b', '-output', target}, objects, libraries];
    if ~tc.windows
      args = [args, {'LDFLAGS=$LDFLAGS -Wl,-rpath,\$ORIGIN'}];
    end
    runMex(tc, target, args, opts.verbose);
  end
end

function link = linkLibrary(tc, opts, objects, name, libraries)
  % A plain shared library in the output folder; what a MEX file links to use it.
  quoted = sprintf(' "%s"', objects{:});
  extra = sprintf(' %s', libraries{:});
  if tc.windows && tc.msvc
    dll = fullfile(opts.output, [name '.dll']);
    implib = fullfile(opts.output, [name '.lib']);
    script = [tempname() '.bat'];
    handle = fopen(script, 'w');
    % cmd.exe reads a .bat file in the console's code page, not the one MATLAB writes in, so
    % the paths (user folders hold letters beyond ASCII) reach link through a variable that
    % cmd expands as the text it is.
    fprintf(handle, '@echo off\r\n%s\r\n', strrep(tc.config.Details.SetEnv, sprintf('\n'), sprintf('\r\n')));
    fprintf(handle, 'link /nologo /DLL %%QORIN_LINK_ARGUMENTS%% kernel32.lib user32.lib\r\n');
    fclose(handle);
    previous = getenv('QORIN_LINK_ARGUMENTS');
    setenv('QORIN_LINK_ARGUMENTS', sprintf('/OUT:"%s" /IMPLIB:"%s"%s%s', dll, implib, quoted, extra));
    restore = onCleanup(@() restoreVariable('QORIN_LINK_ARGUMENTS', previous));
    [status, output] = runShell(tc, ['"' script '"']);
    clear('restore');
    delete(script);
    link = {implib};
  elseif tc.windows
    dll = fullfile(opts.output, [name '.dll']);
    implib = fullfile(opts.output, ['lib' name '.dll.a']);
    [status, output] = runShell(tc, sprintf('%s -shared -static -static-libgcc -static-libstdc++ -o "%s"%s -Wl,--out-implib,"%s"%s', ...
                                            compilerCommand(tc), dll, quoted, implib, extra));
    link = {implib};
  else
    library = fullfile(opts.output, ['lib' name '.so']);
    [status, output] = runShell(tc, sprintf('%s -shared -pthread -Wl,--no-undefined -o "%s"%s%s', ...
                                            compilerCommand(tc), library, quoted, extra));
    link = {['-L' opts.output], ['-l' name]};
  end
  if opts.verbose
    fprintf('%s', output);
  end
  report(name, status, output, opts.verbose);
end

function writeUserFiles(tc, opts, root, work, products)
  % Builds the generator as a MEX function (the hosts' mex makes no programs) and runs it
  % to write qorincam.m and +qorin/cmd.m into the output folder.
  generator = sourcesOf(products, 'generator', root);
  objects = compileAll(tc, root, work, 'generator', generator, {'-Dmain=qorin_program_main', '-DQORIN_PROGRAM_IN_MEX'}, ...
                       opts.verbose);
  runner = fullfile(root, 'tools', 'run_main_mex.cpp');
  objects{end + 1} = compileOne(tc, root, runner, fullfile(work, 'generator', ['run_main_mex' tc.objext]), ...
                                {}, {}, opts.verbose);
  program = fullfile(work, 'generator', 'qorin_generator');
  if tc.octave
    args = [{'--mex', '-o', ['qorin_generator.' mexext()]}, objects];
    [output, status] = runMkoctfile(tc, args, fileparts(program));
    report(program, status, output, opts.verbose);
  else
    runMex(tc, program, [{'-R2017b', '-output', program}, objects], opts.verbose);
  end
  fprintf('Writing qorincam.m and +qorin/cmd.m\n');
  folder = fileparts(program);
  addpath(folder);
  try
    qorin_generator(fullfile(opts.output, 'qorincam.m'), fullfile(opts.output, '+qorin', 'cmd.m'));
  catch failure
    clear('qorin_generator');
    rmpath(folder);
    error('qorin:build:compile', 'Writing qorincam.m and +qorin/cmd.m failed: %s', failure.message);
  end
  clear('qorin_generator');
  rmpath(folder);
end

function removeSimulator(output)
  % A simulator left from an earlier build would be loaded in place of the maker's library,
  % since the module finds its SDK beside itself first.
  control = fullfile(output, ['qorinsim.' mexext()]);
  if exist(control, 'file')
    clear('qorinsim');
    names = {control, 'qorinapi.dll', 'qorinapi.lib', 'qorinapi.exp', 'libqorinapi.dll.a', 'libqorinapi.so'};
    for k = 1:numel(names)
      [folder, ~, ~] = fileparts(names{k});
      file = names{k};
      if isempty(folder)
        file = fullfile(output, names{k});
      end
      if exist(file, 'file')
        delete(file);
      end
    end
    fprintf('Removed the simulated SDK of an earlier build from %s\n', output);
  end
end

function removeFolder(folder)
  % Removes the intermediate files.
  if exist(folder, 'dir')
    if exist('confirm_recursive_rmdir', 'builtin') || exist('confirm_recursive_rmdir', 'file')
      confirm_recursive_rmdir(false, 'local');
    end
    rmdir(folder, 's');
  end
end
