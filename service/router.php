<?php
// The reference picture service, for PHP's built-in web server. Settings come
// from the environment that scripts/service.sh sets:
//   PSL_STORAGE   folder of the stored pictures (and of ver.txt, if present)
//   PSL_MAX_SIZE  largest picture accepted, in bytes
//   PSL_LINK_SCHEME  "https" behind a TLS front (scripts/tls-front.sh); "http" unless set
// Tests make chosen paths fail through STORAGE/statuses.txt, read on every
// request: each line "PATH CODE" (e.g. "/pic/upload.php 503") answers a request
// for exactly that path (query left aside) with that status and a short
// text/plain body, before any other routing. Blank lines and lines starting
// with "#" are skipped; any other line that does not fit turns every answer into
// a 500 naming it, so that a mistyped list cannot go unnoticed.
// STORAGE/delays.txt, in the same form with "PATH SECONDS" (1 to 30), makes a
// request for that path wait so long before it is answered: a slow service.

$storage = rtrim(getenv('PSL_STORAGE') ?: sys_get_temp_dir(), '/');
$maxSize = (int)(getenv('PSL_MAX_SIZE') ?: 4 * 1024 * 1024);
$path = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH) ?? '/';

function page(string $title, string $body): void
{
    header('Content-Type: text/html; charset=windows-1251');
    echo "<html><head><title>$title</title></head><body><h1>$title</h1>$body</body></html>\n";
}

function text(string $reply): void
{
    header('Content-Type: text/plain');
    echo $reply;
}

// The status chosen for $path, or null; [500, text] for a line that does not fit.
function forcedStatus(string $storage, string $path): ?array
{
    $list = "$storage/statuses.txt";
    if (!is_file($list)) {
        return null;
    }
    $chosen = null;
    foreach (file($list, FILE_IGNORE_NEW_LINES) ?: [] as $line) {
        $line = trim($line);
        if ($line === '' || $line[0] === '#') {
            continue;
        }
        if (!preg_match('#^(/\S*)\s+([2-5][0-9][0-9])$#', $line, $m)) {
            return [500, "statuses.txt: bad line \"$line\"\n"];
        }
        if ($chosen === null && $m[1] === $path) {
            $chosen = [(int)$m[2], "status $m[2]\n"];
        }
    }
    return $chosen;
}

function upload(string $storage, int $maxSize): void
{
    // PHP drops the whole form when the body is above post_max_size.
    $length = (int)($_SERVER['CONTENT_LENGTH'] ?? 0);
    if (!isset($_FILES['pic'])) {
        text($length > $maxSize ? 'max size' : 'error');
        return;
    }
    $file = $_FILES['pic'];
    if (in_array($file['error'], [UPLOAD_ERR_INI_SIZE, UPLOAD_ERR_FORM_SIZE], true) || $file['size'] > $maxSize) {
        text('max size');
        return;
    }
    if ($file['error'] !== UPLOAD_ERR_OK || !isset($_POST['login'])) {
        text('error');
        return;
    }
    $head = (string)file_get_contents($file['tmp_name'], false, null, 0, 3);
    if ($head !== "\xFF\xD8\xFF") {
        text('error');
        return;
    }
    do {
        $name = bin2hex(random_bytes(6)) . '.jpg';
    } while (file_exists("$storage/$name"));
    if (!move_uploaded_file($file['tmp_name'], "$storage/$name")) {
        text('error');
        return;
    }
    // Kept beside the picture so that tests can compare what PHP parsed.
    file_put_contents("$storage/$name.login", $_POST['login']);
    file_put_contents("$storage/$name.filename", $file['name']);
    text('good:' . (getenv('PSL_LINK_SCHEME') ?: 'http') . '://' . $_SERVER['HTTP_HOST'] . '/pic/' . $name);
}

// Seconds that a request for $path waits before its answer, 0 for none.
function forcedDelay(string $storage, string $path): int
{
    $list = "$storage/delays.txt";
    foreach (is_file($list) ? (file($list, FILE_IGNORE_NEW_LINES) ?: []) : [] as $line) {
        if (preg_match('#^(/\S*)\s+([1-9]|[12][0-9]|30)$#', trim($line), $m) && $m[1] === $path) {
            return (int)$m[2];
        }
    }
    return 0;
}

sleep(forcedDelay($storage, $path));
$forced = forcedStatus($storage, $path);
if ($forced !== null) {
    http_response_code($forced[0]);
    // HTTP allows no body with these.
    if ($forced[0] !== 204 && $forced[0] !== 304) {
        text($forced[1]);
    }
} elseif ($path === '/ver.txt') {
    $version = "$storage/ver.txt";
    text(is_file($version) ? file_get_contents($version) : '1.0');
} elseif ($path === '/pic/upload.php') {
    upload($storage, $maxSize);
} elseif ($path === '/pic/' || $path === '/pic') {
    $items = '';
    foreach (glob("$storage/*.jpg") ?: [] as $picture) {
        $name = basename($picture);
        $items .= "<li><a href=\"/pic/$name\">$name</a> " . filesize($picture) . " bytes</li>\n";
    }
    page('Pictures', "<ul>\n$items</ul>");
} elseif (preg_match('#^/pic/([0-9a-f]+\.jpg)$#', $path, $m) && is_file("$storage/$m[1]")) {
    header('Content-Type: image/jpeg');
    header('Content-Length: ' . filesize("$storage/$m[1]"));
    readfile("$storage/$m[1]");
} elseif ($path === '/cab/') {
    page('Cabinet', '<p>Your pictures and settings.</p>');
} elseif ($path === '/ad/') {
    page('Advertising', '<p>Advertise with us.</p>');
} elseif ($path === '/lottery/') {
    page('Lottery', '<p>No draw today.</p>');
} elseif ($path === '/PSL.php') {
    page('Pondix Screenshot Loader', '<p>Alt+S takes a screenshot and uploads it.</p>');
} else {
    http_response_code(404);
    text('not found');
}
