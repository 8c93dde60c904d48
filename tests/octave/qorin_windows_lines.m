function qorin_windows_lines(file, folder)
  % QORIN_WINDOWS_LINES  writes build_qorincam's Windows command lines, as cmd.exe gets them, with the arguments each must deliver.
  %   qorin_windows_lines(FILE, FOLDER) makes the lines with paths in FOLDER, a Windows folder
  %   whose name holds a space, where tests/native/command_lines.cpp puts its stand-ins of the
  %   compiler (g++) and of mkoctfile.  FILE gets one case per line run: "line <command>", an
  %   "arg <argument>" for each argument the program must receive, and an empty line.
  %   The lines come from build_qorincam's own functions (its text behind a front function
  %   that calls them by name), with system replaced by one that keeps the line it is given.
  here = tempname();
  mkdir(here);
  text = fileread(fullfile(fileparts(mfilename('fullpath')), '..', '..', 'build_qorincam.m'));
  write(fullfile(here, 'qorin_build_internals.m'), ['function varargout = qorin_build_internals(name, varargin)' ...
        sprintf('\n') '  varargout = cell(1, nargout);' sprintf('\n') ...
        '  [varargout{:}] = feval(str2func(name), varargin{:});' sprintf('\n') 'end' sprintf('\n') text]);
  write(fullfile(here, 'system.m'), ['function [status, output] = system(command)' sprintf('\n') ...
        '  global QORIN_SYSTEM_LINES' sprintf('\n') '  QORIN_SYSTEM_LINES{end + 1} = command;' sprintf('\n') ...
        '  status = 0;' sprintf('\n') '  output = '''';' sprintf('\n') 'end' sprintf('\n')]);
  state = warning('off', 'Octave:shadowed-function');
  addpath(here);
  global QORIN_SYSTEM_LINES
  QORIN_SYSTEM_LINES = {};
  cases = {};
  try
    matlab = struct('octave', false, 'windows', true, 'msvc', false, 'cxx', [folder '\g++'], 'mkoctfile', '');
    octave = matlab;
    octave.octave = true;
    octave.mkoctfile = [folder '\mkoctfile'];
    opts = struct('output', [folder '\out dir'], 'verbose', false);
    objects = {[folder '\obj dir\a.o'], [folder '\obj dir\b c.o']};

    % MATLAB hands its line to cmd.exe as it is.
    qorin_build_internals('linkLibrary', matlab, opts, objects, 'qorinapi', {});
    cases(end + 1, :) = {QORIN_SYSTEM_LINES{end}, [{'-shared', '-static', '-static-libgcc', '-static-libstdc++', '-o', ...
                         fullfile(opts.output, 'qorinapi.dll')}, objects, ...
                         {['-Wl,--out-implib,' fullfile(opts.output, 'libqorinapi.dll.a')]}]};
    qorin_build_internals('compilerVersion', matlab);
    cases(end + 1, :) = {QORIN_SYSTEM_LINES{end}, {'--version'}};
    % Octave's system puts one more pair of quotes around the line on Windows.
    args = {'--mex', '-c', ['-I' folder '\src dir'], [folder '\src dir\a b.cpp'], '-o', [folder '\obj dir\a b.o']};
    qorin_build_internals('runMkoctfile', octave, args);
    cases(end + 1, :) = {['"' QORIN_SYSTEM_LINES{end} '"'], args};
  catch failure
    rmpath(here);
    warning(state);
    rethrow(failure);
  end
  rmpath(here);
  warning(state);
  confirm_recursive_rmdir(false, 'local');
  rmdir(here, 's');
  out = '';
  for k = 1:size(cases, 1)
    out = [out, 'line ', cases{k, 1}, sprintf('\n'), sprintf('arg %s\n', cases{k, 2}{:}), sprintf('\n')]; %#ok<AGROW>
  end
  write(file, out);
end

function write(file, text)
  % The text into the file, as it is.
  handle = fopen(file, 'w');
  fwrite(handle, text);
  fclose(handle);
end
