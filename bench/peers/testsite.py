"""The loopback test site of the peer comparison: a shop of three pages of realistic size
(20-30 KB, about a hundred links each), a search form of two fields and the answer to it.

Every page says Cache-Control: no-store, so that each tool that honours it loads the page it goes
back to again; with --keepable it says nothing about caching.

Run alone it serves the site and prints its address:  python3 testsite.py [PORT] [--keepable]
"""
import html
import os
import random
import socket
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

START_LINK = 'Search the catalogue'
QUERY_FIELD, QUERY_VALUE = 'q', 'desk lamp'
COLOUR_FIELD, COLOUR_VALUE = 'colour', 'blue'
SUBMIT_CAPTION = 'Search'
PAGE_PATHS = ('/index.html', '/search.html', '/results')

WORDS = ('lamp', 'table', 'chair', 'shelf', 'oak', 'steel', 'linen', 'cotton', 'bright', 'quiet',
         'compact', 'classic', 'modern', 'garden', 'kitchen', 'office', 'storage', 'light', 'the',
         'and', 'with', 'for', 'of', 'in', 'a', 'soft', 'warm', 'hand-made', 'large', 'small')


def expected_result(query, colour):
    """The sentence the result page carries for a search: what every tool checks."""
    return f'3 offers for {query} in {colour}'


class PageMaker:
    """Builds the pages from one seed, so every run of the comparison serves the same bytes."""

    def __init__(self, seed=7):
        self._random = random.Random(seed)

    def words(self, count):
        return ' '.join(self._random.choice(WORDS) for _ in range(count))

    def page(self, title, main):
        nav = ''.join(f'<li><a href="/category/{i}.html" class="nav-link">{self.words(2).title()}</a></li>'
                      for i in range(24))
        footer = ''.join(f'<li><a href="/help/{i}.html">{self.words(2)}</a></li>' for i in range(16))
        return (
            '<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">'
            f'<title>{title} - Lamp &amp; Table Shop</title>'
            '<meta name="viewport" content="width=device-width, initial-scale=1">'
            '<link rel="stylesheet" href="/static/site.css">'
            '<style>body{font-family:sans-serif;margin:0}.nav-link{color:#246}.offer{border:1px solid #ccc}</style>'
            '<script>window.shopConfig = {currency: "EUR", region: "eu-west"};</script>'
            '</head>\n<body class="shop">\n'
            f'<header><a href="/index.html" class="logo">Lamp &amp; Table Shop</a><ul class="nav">{nav}</ul>'
            f'<a href="/search.html" id="search-link">{START_LINK}</a></header>\n'
            f'<main><h1>{title}</h1>{main}</main>\n'
            f'<footer><ul>{footer}</ul><p>&copy; 2024 Lamp &amp; Table Shop &mdash; all prices include VAT.</p>'
            '</footer>\n</body></html>\n')

    def listing(self, count, first_id):
        items = []
        for i in range(count):
            item_id = first_id + i
            items.append(
                f'<div class="offer" data-id="{item_id}"><h3><a href="/item/{item_id}.html">{self.words(3).title()}</a></h3>'
                f'<p class="text">{self.words(self._random.randint(65, 95))}. '
                f'<span class="price">{self._random.randint(9, 499)}.{self._random.randint(0, 99):02d} EUR</span> '
                f'<a href="/item/{item_id}.html#reviews" class="reviews">{self._random.randint(1, 300)} reviews</a></p></div>\n')
        return ''.join(items)

    def search_form(self):
        return (
            '<form action="/results" method="post" class="search">'
            f'<label>What <input type="text" name="{QUERY_FIELD}" value="" size="30"></label> '
            f'<label>Colour <input type="text" name="{COLOUR_FIELD}" value=""></label> '
            '<input type="hidden" name="sort" value="relevance">'
            f'<input type="submit" value="{SUBMIT_CAPTION}"></form>\n')


class Site:
    """The three pages: the start page, the search page with its form, and the result page."""

    def __init__(self):
        maker = PageMaker()
        self.index = maker.page('Welcome', '<p>' + maker.words(40) + '</p>' + maker.listing(30, 100)).encode()
        self.search = maker.page('Search', maker.search_form() + maker.listing(30, 200)).encode()
        self._results_main = maker.listing(29, 300)
        self._maker = maker

    def results(self, query, colour):
        sentence = html.escape(expected_result(query, colour))
        main = f'<p class="summary">{sentence}</p>' + self._results_main
        return self._maker.page('Results', main).encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'  # keep-alive, as every tool's client expects

    def setup(self):
        super().setup()
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def log_message(self, *args):
        pass

    def do_GET(self):
        site = self.server.site
        pages = {'/': site.index, '/index.html': site.index, '/search.html': site.search}
        page = pages.get(urllib.parse.urlsplit(self.path).path)
        if page is None:
            self.answer(404, b'<!DOCTYPE html><title>Not found</title><p>Not found</p>')
        else:
            self.answer(200, page)

    def do_POST(self):
        length = int(self.headers.get('Content-Length') or 0)
        body = self.rfile.read(length).decode('utf-8', 'replace')
        if urllib.parse.urlsplit(self.path).path != '/results':
            self.answer(404, b'<!DOCTYPE html><title>Not found</title><p>Not found</p>')
            return
        form = urllib.parse.parse_qs(body, keep_blank_values=True)
        query = form.get(QUERY_FIELD, [''])[0]
        colour = form.get(COLOUR_FIELD, [''])[0]
        self.answer(200, self.server.site.results(query, colour))

    def answer(self, status, body):
        # Head and body leave in one write: no small segment waits for an acknowledgement.
        head = (f'HTTP/1.1 {status} {self.responses[status][0]}\r\n'
                'Content-Type: text/html; charset=utf-8\r\n'
                f'Content-Length: {len(body)}\r\n'
                + ('Cache-Control: no-store\r\n' if self.server.no_store else '')
                + '\r\n').encode('ascii')
        self.wfile.write(head + body)


class SiteServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port=0, no_store=True):
        super().__init__(('127.0.0.1', port), Handler)
        self.site = Site()
        self.no_store = no_store

    @property
    def base(self):
        return f'http://127.0.0.1:{self.server_address[1]}'

    def start(self):
        thread = threading.Thread(target=self.serve_forever, daemon=True)
        thread.start()
        return self


def write_round_pages(folder, back_loads):
    """Writes the pages one round loads, in the order it loads them, for the parse measurement."""
    site = Site()
    pages = [('1-index.html', site.index), ('2-search.html', site.search),
             ('3-results.html', site.results(QUERY_VALUE, COLOUR_VALUE))]
    if back_loads:
        pages.append(('4-search.html', site.search))
    for name, data in pages:
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)


if __name__ == '__main__':
    arguments = [argument for argument in sys.argv[1:] if argument != '--keepable']
    server = SiteServer(int(arguments[0]) if arguments else 0, no_store='--keepable' not in sys.argv)
    print(server.base, flush=True)
    server.serve_forever()
