// The host page the Flash player runs in: one player element per slot (one slot filling the page, or a slot
// per thumbnail cell), driven by the host through glw.* calls and reporting back through console messages that start
// with a per-page token. Only the page's own scripts (carrying its nonce) and the player's files run: a movie's
// getURL("javascript:...") is refused by the page's content security policy.
#include "MovieEngine.h"

#include <algorithm>

namespace glw::qt::movie {

namespace {

// The page fills its view; the player fills the page. Every message from the page is one console line:
// the token, then a JSON object with a "kind".
constexpr const char* kHostPage = R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="script-src 'nonce-@NONCE@' file: 'wasm-unsafe-eval'; object-src 'none'; base-uri 'none'">
<style>
html, body { margin: 0; padding: 0; width: 100%; height: 100%; overflow: hidden; background: transparent; }
#stage { position: absolute; left: 0; top: 0; right: 0; bottom: 0; }
.slot { position: absolute; left: 0; top: 0; right: 0; bottom: 0; overflow: hidden; }
.slot > * { display: block; width: var(--player-width, 100%); height: var(--player-height, 100%); }
</style>
<script nonce="@NONCE@">
// The player asks for the gamepads at every frame it runs, and the first asking starts the engine's
// polling of the devices, sixty times a second for as long as the program runs, in its own process: most
// of what a page of still cells cost. A movie has no gamepad, and the player gets none.
Navigator.prototype.getGamepads = () => [];
window.RufflePlayer = window.RufflePlayer || {};
window.RufflePlayer.config = { polyfills: false, publicPath: "./" };
// A page that only draws posters plays no sound: without an audio context the player keeps its sound
// to itself, and each new movie starts faster. Otherwise each sound output the player makes is kept in
// audioContexts, made here before the player's script can take the constructor.
const audioContexts = new Set();
let soundChanged = () => {}; // the page's rule for its sound outputs, set once the page is laid out
if (@SILENT@) {
  window.AudioContext = undefined;
  window.webkitAudioContext = undefined;
} else if (window.AudioContext) {
  window.AudioContext = window.webkitAudioContext = class extends window.AudioContext {
    constructor(...args) {
      super(...args);
      audioContexts.add(this);
      // An output starts running by itself a moment after it is made, and the player resumes its own:
      // each change of state is held to the rule, or an output that started after it was looked at
      // would render silence for a still movie from then on.
      this.addEventListener("statechange", () => soundChanged());
    }
  };
}
</script>
<script nonce="@NONCE@" src="ruffle.js"></script>
</head><body><div id="stage"></div>
<script nonce="@NONCE@">
(() => {
  "use strict";
  const token = "@TOKEN@";
  const post = (message) => console.log(token + JSON.stringify(message));

  // A movie's getURL to another window arrives here; it is reported and nothing opens.
  window.open = (url, target) => {
    post({ kind: "url", url: String(url ?? ""), target: String(target ?? "") });
    return null;
  };

  // Ruffle's own boxes (errors, saves, volume, context menu) never show: a movie that cannot play
  // leaves the control blank, as the stand-alone player does.
  const hiddenUi = "#panic, #message-overlay, #modal-area, #splash-screen, #unmute-overlay, #context-menu-overlay," +
    " #hardware-acceleration-modal, #clipboard-modal, #save-manager, #volume-controls-modal, #video-modal," +
    " #virtual-keyboard, #play-button { display: none !important; }";

  // When a movie's first frame is drawn: the player draws only after it has run a frame (or changed size),
  // always from an animation frame callback. Drawing calls mark their canvas drawn; hooks that run after
  // each callback see it, so the frame is caught before the player can run another.
  const drawnCanvases = new WeakSet();
  let lastDrawn = null; // the canvas the callback running now drew on or measured
  for (const name of ["fillRect", "clearRect", "fill", "drawImage", "setTransform", "resetTransform"]) {
    const original = CanvasRenderingContext2D.prototype[name];
    CanvasRenderingContext2D.prototype[name] = function (...args) {
      drawnCanvases.add(this.canvas);
      lastDrawn = this.canvas;
      return original.apply(this, args);
    };
  }
  // A player looks at its canvas's size at every tick, whether it draws or not: that tells which canvas
  // a callback belongs to when its movie draws nothing new.
  for (const name of ["clientWidth", "clientHeight"]) {
    const original = Object.getOwnPropertyDescriptor(Element.prototype, name);
    Object.defineProperty(HTMLCanvasElement.prototype, name, {
      configurable: true,
      get() {
        lastDrawn = this;
        return original.get.call(this);
      },
    });
  }
  const afterCallbacks = new Set();
  const runCallback = (callback, time) => {
    try {
      callback(time);
    } finally {
      for (const check of Array.from(afterCallbacks))
        check();
    }
  };
  const nativeAnimationFrame = window.requestAnimationFrame.bind(window);
  // A page of many players runs all their animation frames together, at most once per frame interval:
  // each player draws at its own moments, and the page would otherwise send the engine a new picture at
  // every display frame. The players keep their movies' speed (they count time, not callbacks).
  // While such a page is suspended its animation frames stop altogether: a stopped player still asks for
  // every frame, and twelve of them would keep the page awake behind a minimised window.
  // A still movie (its picture never changes after frame 1) is stopped after its first frame, and its
  // player's animation frames are parked as well: a page of still movies then runs no frame at all, and
  // the engine gets no picture to compose. Each callback belongs to the canvas it drew on or measured;
  // the callback a callback asks for belongs to the same one.
  const frameInterval = @FRAME_INTERVAL@;
  let frozen = false;
  const waiting = new Map();
  const parkedCanvases = new WeakSet();
  const parked = new Map(); // canvas -> its player's waiting callback
  let nextId = 1;
  let last = 0;
  let pending = false;
  let running = null; // the owner of the callback running now: { canvas }
  const runAll = (time) => {
    pending = false;
    last = time;
    const batch = Array.from(waiting.values());
    waiting.clear();
    for (const entry of batch) {
      const canvas = entry.owner.canvas;
      if (canvas && parkedCanvases.has(canvas)) {
        parked.set(canvas, entry);
        continue;
      }
      running = entry.owner;
      lastDrawn = null;
      try {
        runCallback(entry.callback, time);
      } catch (e) {
        // One player's failure (a callback of a player already gone) must not stall the others.
      } finally {
        if (!entry.owner.canvas && lastDrawn)
          entry.owner.canvas = lastDrawn;
        running = null;
      }
    }
  };
  const schedule = () => {
    if (pending || frozen || !waiting.size)
      return;
    pending = true;
    const wait = last + frameInterval - performance.now() - 4;
    if (frameInterval > 0 && wait > 0)
      setTimeout(() => nativeAnimationFrame(runAll), wait);
    else
      nativeAnimationFrame(runAll);
  };
  window.requestAnimationFrame = (callback) => {
    const id = nextId++;
    waiting.set(id, { id, callback, owner: running || { canvas: null } });
    schedule();
    return id;
  };
  // A player that goes (a new movie, a new player) cancels its frame, parked or not.
  window.cancelAnimationFrame = (id) => {
    waiting.delete(id);
    for (const [canvas, entry] of parked) {
      if (entry.id === id)
        parked.delete(canvas);
    }
  };
  const thaw = () => schedule();
  const park = (canvas) => {
    if (canvas)
      parkedCanvases.add(canvas);
  };
  const unpark = (canvas) => {
    if (!canvas)
      return;
    parkedCanvases.delete(canvas);
    const entry = parked.get(canvas);
    if (entry) {
      parked.delete(canvas);
      waiting.set(entry.id, entry); // under the number its player knows, so that it can cancel it
      schedule();
    }
  };

  const stage = document.getElementById("stage");
  let held = false; // the host wants every player stopped (suspend) once its first frame is drawn

  // The page's sound outputs (its player makes one per movie, see audioContexts). While no movie of the
  // page plays they are suspended: a running output keeps the engine's audio threads busy rendering
  // silence, which costs a still movie or a stopped one a tenth of a core. Closed ones are let go.
  function updateSound() {
    let playing = false;
    for (const slot of slots.values()) {
      if (slot.player && !slot.stopped && !slot.hidden && !held)
        playing = true;
    }
    for (const context of Array.from(audioContexts)) {
      if (context.state === "closed")
        audioContexts.delete(context);
      else if (playing && context.state === "suspended")
        context.resume().catch(() => {});
      else if (!playing && context.state === "running")
        context.suspend().catch(() => {});
    }
  }

  // A slot is one player's place on the page: slot 0 fills the page unless given a rectangle; a page of
  // thumbnails has one slot per cell, each at its rectangle.
  const slots = new Map();
  soundChanged = updateSound;
  function slotOf(number) {
    let slot = slots.get(number);
    if (!slot) {
      const box = document.createElement("div");
      box.className = "slot";
      stage.appendChild(box);
      slot = {
        number,
        box,
        player: null,     // the player element, kept from movie to movie (building one takes a while)
        generation: 0,    // the newest load
        playing: 0,       // the load whose movie the player was last given
        onParsed: null,   // what that load does once its movie is parsed
        check: null,      // the first-frame check of that load
        hidden: false,
        stopped: false,   // a still movie, stopped after its first frame
        stoppedSize: "",  // the slot's size when it stopped: another size must be drawn again
      };
      slots.set(number, slot);
    }
    return slot;
  }

  function stopChecking(slot) {
    if (slot.check) {
      afterCallbacks.delete(slot.check);
      slot.check = null;
    }
  }

  function canvasOf(element) {
    return element && element.shadowRoot ? element.shadowRoot.querySelector("canvas") : null;
  }

  function sizeOf(slot) {
    return slot.box.clientWidth + "x" + slot.box.clientHeight;
  }

  // The slot's still movie is drawn: its player stops, and so do its animation frames.
  function stopStill(slot) {
    slot.player.ruffle().suspend();
    slot.stopped = true;
    slot.stoppedSize = sizeOf(slot);
    park(canvasOf(slot.player));
    updateSound();
  }

  // A still movie runs again: for another movie, or (again: true) to draw its picture anew at another
  // size, after which it stops again.
  function unstop(slot, again) {
    if (!slot.stopped)
      return;
    slot.stopped = false;
    const canvas = canvasOf(slot.player);
    unpark(canvas);
    updateSound();
    if (!again)
      return;
    drawnCanvases.delete(canvas);
    slot.player.ruffle().resume();
    stopChecking(slot);
    slot.check = () => {
      if (drawnCanvases.has(canvas)) {
        stopChecking(slot);
        stopStill(slot);
      }
    };
    afterCallbacks.add(slot.check);
  }

  // A stopped still movie whose slot changed its size while shown draws itself once more.
  function redrawStill(slot) {
    if (slot.stopped && slot.player && !slot.hidden && !held && sizeOf(slot) !== slot.stoppedSize)
      unstop(slot, true);
  }
  window.addEventListener("resize", () => {
    for (const slot of slots.values())
      redrawStill(slot);
  });

  function drop(slot) {
    if (slot.player) {
      const canvas = canvasOf(slot.player);
      if (canvas)
        parked.delete(canvas);
      slot.player.remove();
      slot.player = null;
    }
    slot.stopped = false;
    slot.onParsed = null;
    stopChecking(slot);
    updateSound();
  }

  function ensurePlayer(slot) {
    if (slot.player)
      return slot.player;
    const element = window.RufflePlayer.newest().createPlayer();
    slot.box.appendChild(element);
    const root = element.shadowRoot;
    if (root) {
      const style = document.createElement("style");
      style.textContent = hiddenUi;
      root.appendChild(style);
      // The player shows an error box over a movie it cannot play: that load shows nothing instead, and
      // the next movie gets a new player.
      const observer = new MutationObserver(() => {
        if (slot.player !== element || !root.querySelector("#panic, #message-overlay"))
          return;
        observer.disconnect();
        drop(slot);
        post({ kind: "error", gen: slot.playing, message: "the player could not show the movie" });
      });
      observer.observe(root, { childList: true, subtree: true });
    }
    element.ruffle().addFSCommandHandler((command, args) => {
      if (slot.player === element)
        post({ kind: "fscommand", gen: slot.playing, command: String(command ?? ""), args: String(args ?? "") });
    });
    element.addEventListener("loadeddata", () => {
      if (slot.player === element && slot.onParsed)
        slot.onParsed();
    });
    slot.player = element;
    return element;
  }

  // Puts the slot at its rectangle ({x, y, width, height} in page pixels), or over the whole page.
  function place(slot, rect) {
    const style = slot.box.style;
    if (rect) {
      style.left = rect.x + "px";
      style.top = rect.y + "px";
      style.width = rect.width + "px";
      style.height = rect.height + "px";
      style.right = "auto";
      style.bottom = "auto";
    } else {
      style.left = style.top = style.right = style.bottom = "0";
      style.width = style.height = "auto";
    }
  }

  // Where the time of a load goes, sent with its first frame when the host logs (GLW_MOVIE_LOG).
  function stamp(timing, name) {
    if (timing)
      timing.push(name + " " + Math.round(performance.now() - timing.start));
  }

  window.glw = {
    // order: gen, slot (0 unless given), rect (the slot's place, else the whole page), url ("" for none),
    // data (the movie's bytes in base64, or none to read them from url), parameters ("a=1&b=2"), scale,
    // background ("#RRGGBB" or ""), transparent, poster (stop on the first frame and send it as a PNG data
    // URL), capture (send the first frame so too, and play on), suspended, still (stop after the first frame for good), width and height (the player's size,
    // else the slot's), frameRate, debug.
    load(order) {
      const gen = order.gen;
      const slot = slotOf(order.slot || 0);
      slot.generation = gen;
      held = !!order.suspended;
      stopChecking(slot);
      slot.onParsed = null;
      const timing = order.debug ? Object.assign([], { start: performance.now() }) : null;
      // The movie shown so far stops at once: nothing of it (a script command) mixes with the next one.
      if (slot.player) {
        unstop(slot, false);
        slot.player.ruffle().suspend();
      }
      place(slot, order.rect);
      const background = order.transparent ? "transparent" : (order.background || "transparent");
      if (order.rect)
        slot.box.style.background = background;
      else
        document.body.style.background = background;
      const inner = slot.box.style;
      inner.setProperty("--player-width", order.width ? order.width + "px" : "100%");
      inner.setProperty("--player-height", order.height ? order.height + "px" : "100%");
      if (!order.url) {
        drop(slot);
        post({ kind: "empty", gen });
        return;
      }
      const config = {
        parameters: order.parameters || "",
        scale: order.scale,
        forceScale: true,
        wmode: order.transparent ? "transparent" : "window",
        autoplay: "on",
        splashScreen: false,
        unmuteOverlay: "hidden",
        contextMenu: "off",
        menu: false,
        letterbox: "off",
        preferredRenderer: "canvas",
        allowScriptAccess: true,
        allowNetworking: "all",
        openUrlMode: "allow",
        allowFullscreen: false,
        warnOnUnsupportedContent: false,
        showSwfDownload: false,
        backgroundExecutionMode: "none",
        logLevel: "error",
        // Relative loads of the movie (loadMovie, loadVariables) start from its folder.
        base: order.url.substring(0, order.url.lastIndexOf("/") + 1),
        swfFileName: decodeURIComponent(order.url.substring(order.url.lastIndexOf("/") + 1)),
      };
      if (order.background && !order.transparent)
        config.backgroundColor = order.background;
      if (order.frameRate)
        config.frameRate = order.frameRate;

      const firstFrame = (api, element) => {
        stopChecking(slot);
        if (gen !== slot.generation || slot.player !== element)
          return;
        const message = { kind: "frame", gen };
        if (order.still && !order.poster)
          stopStill(slot);
        else if (order.poster || held || slot.hidden)
          api.suspend();
        if (order.poster || order.capture) {
          const canvas = canvasOf(element);
          message.image = canvas ? canvas.toDataURL("image/png") : "";
        }
        stamp(timing, "frame");
        if (timing)
          message.timing = timing.join(", ");
        post(message);
        updateSound();
      };
      const start = (bytes) => {
        if (gen !== slot.generation)
          return;
        stamp(timing, "read");
        const element = ensurePlayer(slot);
        const api = element.ruffle();
        const container = element.shadowRoot && element.shadowRoot.querySelector("#container");
        if (container)
          container.style.backgroundColor = "";
        slot.onParsed = () => {
          stamp(timing, "parsed");
          // The movie is parsed. Its first frame runs a frame's time after it starts, and is drawn in
          // that callback; when nothing is drawn for two frames' time it was drawn before this event.
          drawnCanvases.delete(canvasOf(element));
          const started = performance.now();
          const rate = order.frameRate || (api.metadata && api.metadata.frameRate) || 12;
          const quiet = 2000 / Math.max(1, rate) + 20;
          let callbacks = 0;
          stopChecking(slot);
          slot.check = () => {
            ++callbacks;
            if (drawnCanvases.has(canvasOf(element)) || (callbacks >= 3 && performance.now() - started >= quiet))
              firstFrame(api, element);
          };
          afterCallbacks.add(slot.check);
        };
        slot.playing = gen;
        updateSound();
        config.data = bytes;
        return api.load(config);
      };
      // The host hands over the movie's bytes (base64); the player's own streaming of a local file takes
      // over a second where this takes milliseconds. A movie too large to hand over is read here.
      const bytes = order.data
        ? Promise.resolve(Uint8Array.from(atob(order.data), (c) => c.charCodeAt(0)).buffer)
        : fetch(order.url).then((response) => {
            if (!response.ok)
              throw new Error("cannot read " + order.url);
            return response.arrayBuffer();
          });
      bytes
        .then(start)
        .catch((e) => {
          if (gen !== slot.generation)
            return;
          drop(slot);
          post({ kind: "error", gen, message: String(e) });
        });
    },
    // Moves a slot to its rectangle, or hides it (rect null): a hidden slot's player stops until shown.
    place(number, rect, shown) {
      const slot = slotOf(number);
      place(slot, rect);
      slot.hidden = !shown;
      slot.box.style.visibility = shown ? "" : "hidden";
      if (slot.player && !slot.stopped) {
        if (slot.hidden || held)
          slot.player.ruffle().suspend();
        else
          slot.player.ruffle().resume();
      }
      redrawStill(slot);
      updateSound();
    },
    // Lets a slot's player go (its clock wakes the page at every display frame even when stopped) and
    // removes the slot; with no number, lets every slot's player go.
    release(number) {
      for (const slot of Array.from(slots.values())) {
        if (number === undefined || slot.number === number) {
          slot.generation = -1;
          drop(slot);
        }
        if (slot.number === number) {
          slot.box.remove();
          slots.delete(number);
        }
      }
    },
    suspend() {
      held = true;
      frozen = frameInterval > 0;
      for (const slot of slots.values()) {
        if (slot.player)
          slot.player.ruffle().suspend();
      }
      updateSound();
    },
    resume() {
      held = false;
      frozen = false;
      thaw();
      for (const slot of slots.values()) {
        if (slot.player && !slot.hidden && !slot.stopped)
          slot.player.ruffle().resume();
        redrawStill(slot);
      }
      updateSound();
    },
  };

  post({ kind: "ready" });
})();
</script>
</body></html>
)html";

} // namespace

QString hostPageHtml(const QString& token, const QString& nonce, bool silent, int frameIntervalMs) {
    return QString::fromUtf8(kHostPage)
        .replace(QStringLiteral("@TOKEN@"), token)
        .replace(QStringLiteral("@NONCE@"), nonce)
        .replace(QStringLiteral("@SILENT@"), silent ? QStringLiteral("true") : QStringLiteral("false"))
        .replace(QStringLiteral("@FRAME_INTERVAL@"), QString::number(std::max(0, frameIntervalMs)));
}

} // namespace glw::qt::movie
