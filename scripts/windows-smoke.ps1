# Smoke test of vehicle-editor.exe on real Windows, for what Wine hides: another program's save
# (move /Y) while the editor waits at a prompt, folders named outside the code page beside a
# look-alike, a path longer than 260 characters, the read-only and hidden attributes, and the exit
# statuses. Run by the Windows job of the GitHub Actions workflow:
#   ./scripts/windows-smoke.ps1 -Editor build/vehicle-editor.exe -Helper build/hold-file.exe
# Exits 1 after listing every check that failed.
param(
  [Parameter(Mandatory = $true)][string]$Editor,
  [Parameter(Mandatory = $true)][string]$Helper
)
$ErrorActionPreference = 'Stop'
$Editor = (Resolve-Path $Editor).Path
$Helper = (Resolve-Path $Helper).Path
$utf8 = New-Object System.Text.UTF8Encoding($false)
$script:failures = @()

function Check([bool]$ok, [string]$what) {
  if ($ok) { Write-Host "ok: $what" } else { Write-Host "FAILED: $what"; $script:failures += $what }
}

# A handling.cfg of invented values: one line for each vehicle the checks edit.
$sample = "; smoke test file`r`n" +
  "INFERNUS 1100.0 2.0 4.4 1.2 0.0 0.0 -0.3 70 0.9 0.8 0.5 5 220.0 30.0 4 P 9.0 0.5 1 35.0 " +
  "1.5 0.1 0.3 0.2 95000 0.3 -0.2 0.5 0.4 2003 2 0`r`n"

function New-Game([string]$folder) {
  [System.IO.Directory]::CreateDirectory($folder) | Out-Null
  [System.IO.File]::WriteAllText((Join-Path $folder 'handling.cfg'), $sample, $utf8)
}

# Starts the editor in $folder with $arguments; its standard streams are pipes, UTF-8.
function Start-Editor([string]$folder, [string[]]$arguments) {
  $info = New-Object System.Diagnostics.ProcessStartInfo
  $info.FileName = $Editor
  foreach ($a in $arguments) { $info.ArgumentList.Add($a) }
  $info.WorkingDirectory = $folder
  $info.UseShellExecute = $false
  $info.RedirectStandardInput = $true
  $info.RedirectStandardOutput = $true
  $info.RedirectStandardError = $true
  $info.StandardOutputEncoding = $utf8
  $info.StandardErrorEncoding = $utf8
  return [System.Diagnostics.Process]::Start($info)
}

# Runs the editor to its end with $answers on standard input.
function Invoke-Editor([string]$folder, [string[]]$arguments, [string]$answers) {
  $p = Start-Editor $folder $arguments
  $errTask = $p.StandardError.ReadToEndAsync()
  $p.StandardInput.Write($answers)
  $p.StandardInput.Close()
  $out = $p.StandardOutput.ReadToEnd()
  $p.WaitForExit()
  return @{ status = $p.ExitCode; out = $out; err = $errTask.Result }
}

# Reads standard output until it has shown $text $count times (the editor then waits there).
function Wait-For($p, [string]$text, [int]$count) {
  $seen = New-Object System.Text.StringBuilder
  while (([regex]::Matches($seen.ToString(), [regex]::Escape($text))).Count -lt $count) {
    $c = $p.StandardOutput.Read()
    if ($c -lt 0) { return $false }
    [void]$seen.Append([char]$c)
  }
  return $true
}

function Edited([string]$file) {
  return [System.IO.File]::ReadAllText($file) -match 'INFERNUS .* P 2\.5 '
}

$root = Join-Path ([System.IO.Path]::GetTempPath()) ("vehicle-editor-smoke-" + [guid]::NewGuid())
New-Item -ItemType Directory -Path $root | Out-Null
$edit = "1`nINFERNUS`nR`n2.5`n0`n0`n"

# Exit statuses.
$r = Invoke-Editor $root @('--version') ''
Check ($r.status -eq 0 -and $r.out -match '^vehicle-editor ') 'exit status 0 for --version'
$r = Invoke-Editor $root @('no-such-command') ''
Check ($r.status -eq 2) "exit status 2 for a usage error (got $($r.status))"
$r = Invoke-Editor $root @() "0`n"
Check ($r.status -eq 1 -and $r.out -match "Couldn't open the file handling.cfg") `
  "exit status 1 without handling.cfg (got $($r.status))"
$game = Join-Path $root 'game'
New-Game $game
$r = Invoke-Editor $game @() "0`n"
Check ($r.status -eq 0 -and [System.IO.File]::ReadAllText("$game\handling.cfg") -eq $sample) `
  "exit status 0 and nothing changed when leaving at once (got $($r.status))"
$r = Invoke-Editor $game @() $edit
Check ($r.status -eq 0 -and (Edited "$game\handling.cfg")) "exit status 0 for an edit (got $($r.status))"

# Read-only and hidden: the edit lands, read-only is cleared, hidden stays.
New-Game $game
$file = Get-Item "$game\handling.cfg"
$file.Attributes = 'ReadOnly, Hidden'
$r = Invoke-Editor $game @() $edit
$attributes = (Get-Item -Force "$game\handling.cfg").Attributes
Check ($r.status -eq 0 -and (Edited "$game\handling.cfg")) "a read-only, hidden handling.cfg is edited ($($r.err))"
Check (-not ($attributes -band [System.IO.FileAttributes]::ReadOnly)) "read-only is cleared ($attributes)"
Check ([bool]($attributes -band [System.IO.FileAttributes]::Hidden)) "hidden stays ($attributes)"

# Another program saves handling.cfg (move /Y) while the editor waits at the final menu: its save
# is kept, and the edit is kept as handling.cfg.new.
New-Game $game
Remove-Item -Force -ErrorAction SilentlyContinue "$game\handling.cfg.new"
$p = Start-Editor $game @()
$errTask = $p.StandardError.ReadToEndAsync()
$p.StandardInput.Write("1`nINFERNUS`nR`n2.5`n0`n")
$p.StandardInput.Flush()
# The main menu, the after-edit menu, then the final menu.
$waiting = Wait-For $p 'Choice: ' 3
[System.IO.File]::WriteAllText("$game\saved.cfg", "saved by another program`r`n", $utf8)
cmd /c "cd /d `"$game`" && move /Y saved.cfg handling.cfg" | Out-Null
$moved = $LASTEXITCODE
$p.StandardInput.Write("0`n")
$p.StandardInput.Close()
[void]$p.StandardOutput.ReadToEnd()
$p.WaitForExit()
Check ($waiting -and $moved -eq 0) "move /Y replaces handling.cfg while the editor waits (move: $moved)"
Check ($p.ExitCode -eq 1 -and [System.IO.File]::ReadAllText("$game\handling.cfg") -eq "saved by another program`r`n") `
  "the other program's save is kept (status $($p.ExitCode): $($errTask.Result))"
Check ((Test-Path "$game\handling.cfg.new") -and (Edited "$game\handling.cfg.new")) 'the edit is kept as handling.cfg.new'

# The same with hold-file, which deletes the file first and then saves.
New-Game $game
Remove-Item -Force -ErrorAction SilentlyContinue "$game\handling.cfg.new"
$p = Start-Editor $game @()
$errTask = $p.StandardError.ReadToEndAsync()
$p.StandardInput.Write("1`nINFERNUS`nR`n2.5`n0`n")
$p.StandardInput.Flush()
$waiting = Wait-For $p 'Choice: ' 3
$h = Start-Process -FilePath $Helper -ArgumentList @('--delete-then-save', 'handling.cfg') `
  -WorkingDirectory $game -NoNewWindow -Wait -PassThru
$p.StandardInput.Write("0`n")
$p.StandardInput.Close()
[void]$p.StandardOutput.ReadToEnd()
$p.WaitForExit()
Check ($waiting -and $h.ExitCode -eq 0 -and $p.ExitCode -eq 1 -and (Edited "$game\handling.cfg.new")) `
  "a deletion, then a save, while the editor waits (helper $($h.ExitCode), editor $($p.ExitCode))"

# Folders named outside the code page, beside the look-alike that the code page's best fit would
# make of the name: the dropped file is the one edited.
$names = @(
  ('Spiel ' + [char]0x014C + 'rdner'),
  ([string][char]0x0418 + [char]0x0433 + [char]0x0440 + [char]0x0430),
  ([string][char]0x30B2 + [char]0x30FC + [char]0x30E0)
)
New-Game (Join-Path $root 'Spiel Ordner')
foreach ($name in $names) {
  $folder = Join-Path $root $name
  New-Game $folder
  $r = Invoke-Editor $root @("$folder\handling.cfg") $edit
  Check ($r.status -eq 0 -and (Edited "$folder\handling.cfg")) "a drop from '$name' is edited ($($r.err))"
}
Check ([System.IO.File]::ReadAllText("$root\Spiel Ordner\handling.cfg") -eq $sample) 'the look-alike is untouched'
$missing = Join-Path (Join-Path $root $names[1]) 'none\handling.cfg'
$r = Invoke-Editor $root @($missing) ''
Check ($r.status -eq 2 -and $r.err.Contains($names[1])) "a message names the folder as it is ($($r.err))"

# A path longer than 260 characters. With LongPathsEnabled off, Windows lets no program make such a
# folder its current folder: the editor must then say so, and change nothing.
$long = $root
foreach ($i in 1..3) { $long = Join-Path $long ('x' * 90) }
New-Game "\\?\$long"
$enabled = (Get-ItemProperty 'HKLM:\SYSTEM\CurrentControlSet\Control\FileSystem').LongPathsEnabled
$r = Invoke-Editor $root @("$long\handling.cfg") $edit
if ($enabled -eq 1) {
  Check ($r.status -eq 0 -and (Edited "\\?\$long\handling.cfg")) "a drop with a path of $($long.Length + 13) characters is edited ($($r.err))"
} else {
  Check ($r.status -eq 1 -and $r.err -match 'could not go to the folder') "without LongPathsEnabled the long folder is refused ($($r.err))"
}

Remove-Item -Recurse -Force "\\?\$root" -ErrorAction SilentlyContinue
if ($script:failures.Count -gt 0) {
  Write-Host "$($script:failures.Count) checks failed."
  exit 1
}
Write-Host 'All smoke checks passed.'
