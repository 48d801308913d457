#include "app/QtProgress.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include <cmath>

namespace qv::app {

QtProgress::~QtProgress() = default;

void QtProgress::attach(QWidget* barHost, QWidget* blocked) {
    mHost = barHost;
    mBlocked = blocked;
    if (!mHost) return;
    mText = new QLabel(mHost);
    mText->setObjectName(QStringLiteral("progressText"));
    mBar = new QProgressBar(mHost);
    mBar->setObjectName(QStringLiteral("progressBar"));
    mBar->setMaximumWidth(220);
    mCancel = new QPushButton(QStringLiteral("Cancel"), mHost);
    mCancel->setObjectName(QStringLiteral("progressCancel"));
    QObject::connect(mCancel, &QPushButton::clicked, mCancel, [this] { mCancelled = true; });
    if (auto* status = qobject_cast<QStatusBar*>(mHost)) {
        status->addPermanentWidget(mText);
        status->addPermanentWidget(mBar);
        status->addPermanentWidget(mCancel);
    }
    mText->hide();
    mBar->hide();
    mCancel->hide();
}

void QtProgress::begin() {
    if (mDepth++ > 0) return;
    mCancelled = false;
    mShown = false;
    mStarted.start();
    mPumped.start();
}

void QtProgress::end() {
    if (mDepth == 0 || --mDepth > 0) return;
    if (mShown) {
        mText->hide();
        mBar->hide();
        mCancel->hide();
        if (mBlocked) mBlocked->setEnabled(true);
    }
    mShown = false;
}

bool QtProgress::visible() const {
    return mShown;
}

void QtProgress::show() {
    if (mShown || !mBar) return;
    mShown = true;
    if (mBlocked) mBlocked->setEnabled(false);
    mText->show();
    mBar->show();
    mCancel->show();
    mCancel->setEnabled(true);
}

void QtProgress::pump() const {
    if (!mPumped.isValid() || mPumped.elapsed() < PumpEveryMs) return;
    mPumped.restart();
    // Paint events and the Cancel click; the blocked part of the window takes no input meanwhile.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void QtProgress::Report(double fraction, const std::string& text) {
    if (!mStarted.isValid()) begin(); // work started outside a command still gets a bar
    if (!mShown && mStarted.elapsed() >= ShowAfterMs) show();
    if (mShown) {
        if (fraction < 0 || std::isnan(fraction)) {
            mBar->setRange(0, 0); // busy: the total is not known yet
        } else {
            mBar->setRange(0, 1000);
            mBar->setValue(static_cast<int>(std::lround(std::min(fraction, 1.0) * 1000)));
        }
        mText->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    pump();
}

bool QtProgress::Cancelled() const {
    if (!mCancelled && mStarted.isValid() && !mShown && mStarted.elapsed() >= ShowAfterMs)
        const_cast<QtProgress*>(this)->show();
    pump();
    return mCancelled;
}

} // namespace qv::app
